// The fault suite: the programs tried as a hostile user and an unlucky system would try them. Each case
// reproduces a way data could be lost and shows that it no longer is.
#include "support/ProgramsFixture_posix.h"

namespace {

using Faults = ProgramsTest;

}  // namespace
