#pragma once

// The main of a host process (the app or the Settings app): points it at the device root,
// launches the host, then runs a script on the manual clock or a desktop window on the real one.
//
//   parlo-sim-app --device-root DIR [--bundle-id ID] [--script FILE [--output DIR]]
//                 [--record OUT.mp4 [--record-scale S]]
//   parlo-sim-settings --device-root DIR [--script FILE [--output DIR]]
//                      [--record OUT.mp4 [--record-scale S]]

namespace sim {

enum class Host { App, Settings };

int runHost(Host host, int argc, char** argv);

}  // namespace sim
