// panel.js: PanelView, the form drawn from the panel's properties: a section per group property (its open state
// is the group's value), a row per property with its label, control, limits as a hint, description as help
// and a message line, and a row per command button.

import {controls} from './controls.js';
import {h} from './dom.js';

const MARKS = {error: '⚠', moved: '↻', info: 'ℹ'};

export class PanelView {
  // handlers: commit(name, text) for a value, click(name) for a button.
  constructor(root, handlers) {
    this.root = root;
    this.handlers = handlers;
    this.rows = new Map();
  }

  render(panel) {
    const focused = document.activeElement && this.root.contains(document.activeElement) ?
      document.activeElement.id : null;
    this.rows.clear();
    const sections = new Map();
    const top = h('div', {class: 'rows'});
    panel.properties.forEach((p, index) => {
      const parent = sections.get(p.group) || top;
      if (p.kind === 'group') {
        const section = this.group(p, index);
        parent.append(section);
        sections.set(p.name, section.querySelector('.rows'));
      } else {
        parent.append(p.kind === 'button' ? this.button(p, index) : this.property(p, index));
      }
    });
    this.root.replaceChildren(top);
    this.root.setAttribute('aria-busy', 'false');
    if (focused && document.getElementById(focused)) document.getElementById(focused).focus();
  }

  property(p, index) {
    const id = `p${index}`;
    const build = controls[p.kind];
    if (!build) return h('p', {class: 'row'}, `${p.name}: ${p.value} (this page has no control for “${p.kind}”)`);
    const control = build(p, id, (text) => this.handlers.commit(p.name, text));
    const hint = h('span', {class: 'hint', id: `${id}-hint`});
    const help = p.description && p.description !== p.name ? h('span', {class: 'help', id: `${id}-help`},
                                                                p.description) : null;
    const message = h('output', {class: 'message', id: `${id}-message`, for: id, 'aria-live': 'polite'});
    const described = [hint.id, help && help.id, message.id].filter(Boolean).join(' ');
    for (const node of control.nodes) {
      for (const input of [node, ...node.querySelectorAll('input, select')]) {
        if (input.matches('input, select')) input.setAttribute('aria-describedby', described);
      }
    }
    const row = h('div', {class: `row kind-${p.kind}`, 'data-name': p.name},
                  h('label', {class: 'name', for: id}, p.name),
                  h('div', {class: 'control'}, control.nodes),
                  h('div', {class: 'notes'}, hint, help, message));
    this.rows.set(p.name, {row, control, hint, message, property: p});
    this.update(p);
    return row;
  }

  button(p, index) {
    const id = `p${index}`;
    const message = h('output', {class: 'message', id: `${id}-message`, for: id, 'aria-live': 'polite'});
    const button = h('button', {id, type: 'button', class: 'command', 'aria-describedby': message.id}, p.name);
    button.addEventListener('click', () => this.handlers.click(p.name));
    const row = h('div', {class: 'row kind-button', 'data-name': p.name}, h('span', {class: 'name'}),
                  h('div', {class: 'control'}, button), h('div', {class: 'notes'}, message));
    this.rows.set(p.name, {row, message, property: p});
    return row;
  }

  group(p, index) {
    const id = `p${index}`;
    const details = h('details', {class: 'group', 'data-name': p.name},
                      h('summary', {id}, h('span', {class: 'group-name'}, p.name)), h('div', {class: 'rows'}));
    details.addEventListener('toggle', () => {
      const entry = this.rows.get(p.name);
      const open = entry.property.value === 'expanded';
      if (details.open !== open) this.handlers.commit(p.name, details.open ? 'expanded' : 'collapsed');
    });
    this.rows.set(p.name, {row: details, details, property: p});
    details.open = p.value === 'expanded';
    return details;
  }

  // update shows a property's new value (from an answer, an event or a refetch).
  update(p) {
    const entry = this.rows.get(p.name);
    if (!entry) return;
    entry.property = p;
    if (entry.details) {
      entry.details.open = p.value === 'expanded';
    } else if (entry.control) {
      entry.control.update(p);
      entry.hint.textContent = entry.control.hint(p);
    }
  }

  // revert puts a control back to the value the server holds.
  revert(name) {
    const entry = this.rows.get(name);
    if (entry) this.update(entry.property);
  }

  say(name, text, tone) {
    const entry = this.rows.get(name);
    if (!entry || !entry.message) return;
    entry.message.className = `message ${tone}`;
    entry.message.textContent = text ? `${MARKS[tone] || ''} ${text}`.trim() : '';
    clearTimeout(entry.timer);
    if (tone === 'moved') entry.timer = setTimeout(() => this.say(name, '', ''), 4000);
  }

  // flash marks the properties that moved with another one's change, for a moment, in words as well as colour.
  flash(names, cause) {
    for (const name of names) {
      const entry = this.rows.get(name);
      if (!entry) continue;
      entry.row.classList.remove('flash');
      void entry.row.offsetWidth;  // restart the animation
      entry.row.classList.add('flash');
      this.say(name, `changed with ${cause}`, 'moved');
    }
  }

  value(name) {
    const entry = this.rows.get(name);
    return entry ? entry.property.value : undefined;
  }
}
