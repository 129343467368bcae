#include "floppy/FloppyDevice.h"

#include "base/Texts.h"

int FailRead(const DeviceContext& context, int64_t startSector, uint32_t error) {
  if (context.settings.m_emergency == 0) {
    ShowError(context.boxes, kTextCannotReadTrack,
              {MessageTrackOf(context, startSector), MessageHeadOf(context, startSector), error});
  }
  return -1;
}

int FailWrite(const DeviceContext& context, int64_t startSector, uint32_t error, bool writeProtected) {
  if (context.settings.m_formatDisk != 0 && context.settings.m_recreateBad != 0) return -1;
  if (writeProtected) {
    ShowError(context.boxes, kTextWriteProtected);
  } else {
    ShowError(context.boxes, kTextCannotWriteTrack,
              {MessageTrackOf(context, startSector), MessageHeadOf(context, startSector), error});
  }
  return -1;
}

int FailVerify(const DeviceContext& context, int64_t startSector, int count, uint32_t error) {
  if (count == 1) {
    ShowError(context.boxes, kTextCannotVerifySector, {startSector + 1, error});
  } else {
    ShowError(context.boxes, kTextCannotVerifyTrack,
              {MessageTrackOf(context, startSector), MessageHeadOf(context, startSector), error});
  }
  return -1;
}
