// events.js: the server's event stream. EventSource reconnects by itself after a network error; when the
// server answers with an error (too many streams) it gives up, so this retries with a growing delay.

export function connectEvents({onHello, onChange, onLost, onDown}) {
  let source = null;
  let delay = 500;
  let timer = null;

  const open = () => {
    source = new EventSource('/api/v1/events');
    source.addEventListener('hello', (event) => {
      delay = 500;
      onHello(JSON.parse(event.data));
    });
    source.addEventListener('change', (event) => onChange(JSON.parse(event.data)));
    source.addEventListener('lost', () => onLost());
    source.addEventListener('error', () => {
      onDown();
      if (source.readyState === EventSource.CLOSED) {
        source.close();
        clearTimeout(timer);
        timer = setTimeout(open, delay);
        delay = Math.min(delay * 2, 8000);
      }
    });
  };
  open();
  return {
    close() {
      clearTimeout(timer);
      if (source) source.close();
    },
  };
}
