#pragma once
// A flux capture: the flux of the tracks of a disk, as a flux reader recorded it (a SuperCard Pro .scp file,
// a set of KryoFlux stream files). Tracks are loaded one at a time: a capture is many times larger than the
// disk it holds.

#include <memory>
#include <string>
#include <vector>

#include "flux/FluxTrack.h"

// Why a capture cannot be used at all.
enum class CaptureFault {
  None,
  CannotOpen,
  NotCapture,  // not of the form its name says
  Cut,         // it ends inside its header or its table of tracks
  BadHeader,   // its header states what cannot be (no revolutions, tracks that end before they begin, ...)
  NoTracks,    // it holds no track
};

// Why one track of a capture gives no flux; the other tracks may still hold the disk.
enum class TrackFault {
  None,
  Missing,     // the capture does not hold it
  Cut,         // its data lies past the end of the file
  Damaged,     // its data contradicts itself (a wrong track header, broken out-of-band blocks, a lying count)
  NoIndex,     // no index pulse was recorded: no revolution can be told
  NoFlux,      // its revolutions hold no flux reversal
  Unreadable,  // the file could not be read
};

class Capture {
 public:
  virtual ~Capture() = default;
  // The tracks it holds, in disk order.
  virtual const std::vector<TrackPlace>& Places() const = 0;
  // The flux of one of them; flux is left empty unless the result is None.
  virtual TrackFault Load(const TrackPlace& place, TrackFlux& flux) = 0;
};

struct CaptureOpening {
  std::unique_ptr<Capture> capture;  // null unless fault is None
  CaptureFault fault = CaptureFault::None;
};
