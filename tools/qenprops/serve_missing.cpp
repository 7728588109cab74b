// qenprops serve in a build without the settings server (cross builds, or -DQEN_BUILD_SERVER=OFF).
#include <iostream>

#include "serve.h"

namespace qenprops {

int Serve(int /*argc*/, char** /*argv*/) {
  std::cerr << "qenprops serve: this build has no settings server (configure with -DQEN_BUILD_SERVER=ON; it needs "
               "Debian's libcpp-httplib-dev)\n";
  return 2;
}

}  // namespace qenprops
