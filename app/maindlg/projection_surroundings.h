// ProjectionSurroundings: what the PC does around the main dialog's own
// projection: the display mode that the user asked projection to use, and
// the PC's speakers kept quiet while the screen goes to the receiver. The
// client adapter calls it for the main dialog's client only.
// THREADING: the thread that starts and stops the projection (the UI thread).
#pragma once

class VRXClient;

namespace pemuapp {

class ProjectionSurroundings {
public:
    virtual ~ProjectionSurroundings() = default;
    // Before the start request: the display mode for projection.
    virtual void BeforeProjectionStart(VRXClient& client) = 0;
    // The receiver took the start: the local output is muted.
    virtual void ProjectionStarted() = 0;
    // After a stop request; `stopped` when the receiver took it (the local
    // output sounds again), the display mode goes back in either case.
    virtual void ProjectionStopped(VRXClient& client, bool stopped) = 0;
};

}  // namespace pemuapp
