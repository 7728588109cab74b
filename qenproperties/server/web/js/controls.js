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

// watch commits a text field on Enter or when it loses focus, and marks it dirty while an edit is pending.
function watch(input, read, commit) {
  input.addEventListener('input', () => input.setAttribute('data-dirty', ''));
  input.addEventListener('change', () => {
    input.removeAttribute('data-dirty');
    commit(read());
  });
}

// hint: the limits in words, as the server puts them.
const hint = (q) => q.limits.text;

function numberControl(p, id, commit) {
  const {ranged, min, max, decimals} = p.limits;
  const step = decimals === undefined ? '1' : String(10 ** -decimals);
  const input = h('input', {id, type: 'number', inputmode: decimals === undefined ? 'numeric' : 'decimal', step,
                            min: ranged ? min : null, max: ranged ? max : null});
  watch(input, () => input.value.trim(), commit);
  const nodes = [input];
  let slider = null;
  if (ranged) {
    slider = h('input', {type: 'range', min, max, step, 'aria-label': `${p.name} slider`, tabindex: '-1'});
    slider.addEventListener('input', () => { input.value = numberText(slider.value, decimals); });
    slider.addEventListener('change', () => commit(numberText(slider.value, decimals)));
    nodes.push(slider);
  }
  return {
    nodes,
    update(q) {
      input.value = q.value;
      input.removeAttribute('data-dirty');
      if (slider) slider.value = Number(q.value);
    },
    hint,
  };
}

function boolControl(p, id, commit) {
  const input = h('input', {id, type: 'checkbox', role: 'switch', class: 'switch'});
  const state = h('span', {class: 'switch-state', 'aria-hidden': 'true'});
  input.addEventListener('change', () => commit(input.checked ? 'TRUE' : 'FALSE'));
  return {
    nodes: [input, state],
    update(q) {
      input.checked = q.value.toUpperCase() === 'TRUE';
      state.textContent = input.checked ? 'On' : 'Off';
    },
    hint: () => '',
  };
}

function textControl(p, id, commit) {
  const input = h('input', {id, type: 'text', maxlength: p.limits.maxLength, spellcheck: 'false'});
  watch(input, () => input.value, commit);
  return {
    nodes: [input],
    update(q) {
      input.value = q.value;
      input.removeAttribute('data-dirty');
    },
    hint: (q) => (q.limits.maxLength ? `up to ${q.limits.maxLength} characters` : ''),
  };
}

// choiceControl: every enumeration is a select of its choices' value texts. A custom entry (limits.custom,
// {label, form}) adds an option that opens its own fields: one number for a form such as "Custom (N)", two for
// "N:M". Choosing it sends the label alone when that is a value (the entry keeps its number) and otherwise
// waits, with the focus on the first field, until the fields are filled in.
function choiceControl(p, id, commit) {
  const {choices, custom} = p.limits;
  const select = h('select', {id}, choices.map((text) => h('option', {value: text}, text)));
  const nodes = [select];
  const fields = [];
  let box = null;
  const ratio = custom && custom.form.includes('N:M');
  if (custom) {
    select.append(h('option', {value: '\u0000custom'}, ratio ? `${custom.label} (N:M)` : custom.label));
    const part = (label) => h('input', {type: 'number', step: '1', inputmode: 'numeric', min: ratio ? '1' : null,
                                        'aria-label': `${p.name}: ${label}`});
    if (ratio) fields.push(part('custom width part'), part('custom height part'));
    else fields.push(part('custom value'));
    box = h('span', {class: 'custom', hidden: true},
            ratio ? [fields[0], h('span', {'aria-hidden': 'true'}, ':'), fields[1]] : fields);
    nodes.push(box);
  }
  const customValue = () => {
    const texts = fields.map((input) => input.value.trim());
    if (texts.includes('')) return null;
    return ratio ? texts.join(':') : custom.form.replace('N', texts[0]);
  };
  const send = () => {
    if (select.value !== '\u0000custom') {
      commit(select.value);
      return;
    }
    const value = customValue();
    if (value !== null) commit(value);
    else if (!ratio) commit(custom.label);
    else fields.find((input) => input.value.trim() === '').focus();
  };
  select.addEventListener('change', () => {
    if (box) box.hidden = select.value !== '\u0000custom';
    send();
  });
  for (const input of fields) watch(input, customValue, send);
  return {
    nodes,
    update(q) {
      const named = q.limits.choices.includes(q.value);
      select.value = named || !custom ? q.value : '\u0000custom';
      if (!box) return;
      box.hidden = named;
      // The numbers of the custom entry's value: "Custom (18000)" gives 18000, "3:2" gives 3 and 2.
      const numbers = named ? [] : (q.value.match(/-?\d+(\.\d+)?/g) || []);
      fields.forEach((input, i) => {
        input.value = numbers[ratio ? i : numbers.length - 1] ?? '';
        input.removeAttribute('data-dirty');
      });
    },
    hint,
  };
}

export const controls = {
  'long': numberControl,
  'float': numberControl,
  'bool': boolControl,
  'text': textControl,
  'enum': choiceControl,
  'enum-long': choiceControl,
  'ex-enum': choiceControl,
  'ratio': choiceControl,
};
