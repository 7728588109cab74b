// controls.js: one control per kind of property, as a table. Each entry builds the form elements for a
// property and knows how to show a new value; the panel calls commit(text) with the value in the server's
// grammar when the user changes it.
//
//   const control = controls[property.kind](property, id, commit);
//   row.append(...control.nodes);   control.update(newProperty);   control.hint(property)  // "1 to 100"

import {h} from './dom.js';

function numberText(value, decimals) {
  return decimals === undefined ? String(value) : Number(value).toFixed(decimals);
}

function rangeHint(p) {
  if (p.min === undefined) return p.kind === 'float' ? `any number, ${p.decimals} decimals` : 'any whole number';
  const range = `${numberText(p.min, p.decimals)} to ${numberText(p.max, p.decimals)}`;
  return p.kind === 'float' ? `${range}, ${p.decimals} decimals` : range;
}

// watch commits a text field on Enter or when it loses focus, and marks it dirty while an edit is pending.
function watch(input, read, commit) {
  input.addEventListener('input', () => input.setAttribute('data-dirty', ''));
  input.addEventListener('change', () => {
    input.removeAttribute('data-dirty');
    commit(read());
  });
}

function numberControl(p, id, commit) {
  const step = p.kind === 'float' ? String(10 ** -p.decimals) : '1';
  const input = h('input', {id, type: 'number', inputmode: p.kind === 'float' ? 'decimal' : 'numeric', step,
                            min: p.min, max: p.max});
  watch(input, () => input.value.trim(), commit);
  const nodes = [input];
  let slider = null;
  if (p.min !== undefined) {
    slider = h('input', {type: 'range', min: p.min, max: p.max, step, 'aria-label': `${p.name} slider`,
                         tabindex: '-1'});
    slider.addEventListener('input', () => { input.value = numberText(slider.value, p.decimals); });
    slider.addEventListener('change', () => commit(slider.value));
    nodes.push(slider);
  }
  return {
    nodes,
    update(q) {
      input.value = q.value;
      input.removeAttribute('data-dirty');
      if (slider) slider.value = Number(q.value);
    },
    hint: rangeHint,
  };
}

function boolControl(p, id, commit) {
  const input = h('input', {id, type: 'checkbox', role: 'switch', class: 'switch'});
  const state = h('span', {class: 'switch-state', 'aria-hidden': 'true'});
  input.addEventListener('change', () => commit(input.checked ? 'TRUE' : 'FALSE'));
  return {
    nodes: [input, state],
    update(q) {
      input.checked = q.value === 'TRUE';
      state.textContent = input.checked ? 'On' : 'Off';
    },
    hint: () => '',
  };
}

function textControl(p, id, commit) {
  const input = h('input', {id, type: 'text', maxlength: p.maxLength, spellcheck: 'false'});
  watch(input, () => input.value, commit);
  return {
    nodes: [input],
    update(q) {
      input.value = q.value;
      input.removeAttribute('data-dirty');
    },
    hint: (q) => (q.maxLength ? `up to ${q.maxLength} characters` : ''),
  };
}

function options(select, texts) {
  select.replaceChildren(...texts.map((text) => h('option', {value: text}, text)));
}

// choiceControl: enum and enum-long, a plain select.
function choiceControl(p, id, commit) {
  const select = h('select', {id});
  const texts = (q) => q.choices.map((c) => (typeof c === 'object' ? c.text : String(c)));
  options(select, texts(p));
  select.addEventListener('change', () => commit(select.value));
  return {
    nodes: [select],
    update(q) { select.value = q.kind === 'enum' ? q.selected : q.value; },
    hint: (q) => `one of ${texts(q).join(', ')}`,
  };
}

// customControl: ex-enum and ratio, a select whose custom entry opens its own fields. Choosing the custom entry
// sends its value at once when its fields hold one; otherwise the first field takes the focus and the value
// is sent when the fields are filled in.
function customControl(p, id, commit, fields) {
  const select = h('select', {id});
  options(select, p.choices.map((c) => c.text));
  const custom = p.custom ? p.custom.text : null;
  const box = h('span', {class: 'custom', hidden: true}, fields.nodes);
  const inputs = () => [...box.querySelectorAll('input')];
  const send = () => {
    if (select.value !== custom) {
      commit(select.value);
      return;
    }
    const value = fields.value();
    if (value !== null) commit(value);
    else inputs().find((input) => input.value.trim() === '').focus();
  };
  select.addEventListener('change', () => {
    box.hidden = select.value !== custom;
    send();
  });
  for (const input of inputs()) watch(input, fields.value, send);
  return {
    nodes: [select, box],
    update(q) {
      select.value = q.selected;
      box.hidden = q.selected !== custom || !custom;
      fields.show(q);
      for (const input of inputs()) input.removeAttribute('data-dirty');
    },
    hint: fields.hint,
  };
}

// filled gives the trimmed texts of the inputs, or null when one is empty.
function filled(...inputs) {
  const texts = inputs.map((input) => input.value.trim());
  return texts.includes('') ? null : texts;
}

function exEnumControl(p, id, commit) {
  const data = h('input', {type: 'number', step: '1', inputmode: 'numeric', 'aria-label': `${p.name}: custom value`});
  const custom = p.custom ? p.custom.text : '';
  return customControl(p, id, commit, {
    nodes: [data],
    value: () => (filled(data) ? `${custom} (${data.value.trim()})` : null),
    show: (q) => { data.value = q.custom && q.custom.data !== null ? q.custom.data : ''; },
    hint: (q) => q.choices.map((c) => (c.text === custom ? `${c.text} (a number)` : `${c.text} (${c.data})`))
                   .join(', '),
  });
}

function ratioControl(p, id, commit) {
  const part = (label) => h('input', {type: 'number', min: '1', step: '1', inputmode: 'numeric',
                                      'aria-label': `${p.name}: custom ${label}`});
  const numerator = part('width part');
  const denominator = part('height part');
  return customControl(p, id, commit, {
    nodes: [numerator, h('span', {'aria-hidden': 'true'}, ':'), denominator],
    value: () => {
      const parts = filled(numerator, denominator);
      return parts ? parts.join(':') : null;
    },
    show: (q) => {
      // A custom ratio with no denominator has never been set: the fields stay empty.
      const set = q.custom && q.custom.denominator > 0;
      numerator.value = set ? q.custom.numerator : '';
      denominator.value = set ? q.custom.denominator : '';
    },
    hint: (q) => `one of ${q.choices.map((c) => (q.custom && c.text === q.custom.text ? 'N:M' : c.text)).join(', ')}`,
  });
}

export const controls = {
  'long': numberControl,
  'float': numberControl,
  'bool': boolControl,
  'text': textControl,
  'enum': choiceControl,
  'enum-long': choiceControl,
  'ex-enum': exEnumControl,
  'ratio': ratioControl,
};
