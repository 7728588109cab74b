// api.js: the settings server's JSON API. Every call resolves to {status, body}; a network failure resolves
// to status 0, so callers handle one shape.

export class Api {
  constructor(token) {
    this.token = token;
  }

  async request(method, path, body, type = 'application/json') {
    const headers = {};
    if (method !== 'GET' && this.token) headers.Authorization = `Bearer ${this.token}`;
    if (body !== undefined) headers['Content-Type'] = type;
    try {
      const response = await fetch(`/api/v1/${path}`, {
        method,
        headers,
        body: body === undefined ? undefined : typeof body === 'string' ? body : JSON.stringify(body),
        cache: 'no-store',
      });
      const text = await response.text();
      let parsed = null;
      try {
        parsed = JSON.parse(text);
      } catch {
        parsed = {message: text};
      }
      return {status: response.status, body: parsed};
    } catch (error) {
      return {status: 0, body: {message: `the server cannot be reached (${error.message})`}};
    }
  }

  panel() { return this.request('GET', 'panel'); }
  set(name, value) { return this.request('POST', 'set', {name, value}); }
  reset(name) { return this.request('POST', 'reset', name === undefined ? {} : {name}); }
  click(name) { return this.request('POST', 'click', {name}); }
  undo() { return this.request('POST', 'undo', {}); }
  redo() { return this.request('POST', 'redo', {}); }
  uploadPreset(text) { return this.request('PUT', 'preset', text); }
}

// takeToken reads the token from the address (?token=...), keeps it for reloads of this tab, and removes it from
// the address bar so it does not end up in bookmarks or screenshots.
export function takeToken() {
  const url = new URL(window.location.href);
  const fromUrl = url.searchParams.get('token');
  if (fromUrl) {
    sessionStorage.setItem('qenprops-token', fromUrl);
    url.searchParams.delete('token');
    history.replaceState(null, '', url.pathname + url.search + url.hash);
    return fromUrl;
  }
  return sessionStorage.getItem('qenprops-token') || '';
}
