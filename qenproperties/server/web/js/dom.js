// dom.js: element creation in one call, so the controls read like the markup they make.
//
//   h('label', {for: 'x', class: 'name'}, 'Width')

let nextId = 0;

// h creates an element: attributes (null and false are left out, true sets an empty one), then children (text
// or nodes; null is skipped).
export function h(tag, attributes = {}, ...children) {
  const element = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (value === null || value === undefined || value === false) continue;
    element.setAttribute(key, value === true ? '' : String(value));
  }
  for (const child of children.flat()) {
    if (child === null || child === undefined) continue;
    element.append(child instanceof Node ? child : document.createTextNode(String(child)));
  }
  return element;
}

// uniqueId gives an id for tying a label, hint or message to its control.
export function uniqueId(prefix) {
  nextId += 1;
  return `${prefix}-${nextId}`;
}
