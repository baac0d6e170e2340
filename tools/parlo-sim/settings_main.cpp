// The Settings app's process.
#include "HostProcess.h"

int main(int argc, char** argv) {
  return sim::runHost(sim::Host::Settings, argc, argv);
}
