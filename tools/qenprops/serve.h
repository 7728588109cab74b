// serve.h: qenprops serve, the panel shared over HTTP with a browser page (see serve.cpp).
#ifndef QENPROPS_SERVE_H_
#define QENPROPS_SERVE_H_

namespace qenprops {

// Serve runs `qenprops serve [options]` (argv[1] is "serve") until SIGINT or SIGTERM; returns the exit status.
int Serve(int argc, char** argv);

}  // namespace qenprops

#endif  // QENPROPS_SERVE_H_
