// The Linux device path's mirror of the kernel interface, against the kernel's own headers: a wrong number
// or offset would make a real drive refuse (or misread) every request while the simulated driver agreed.
#include <fcntl.h>
#include <linux/fd.h>
#include <linux/fdreg.h>
#include <linux/fs.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>

#include "floppy/linux/LinuxSyscalls.h"

namespace {

TEST(LinuxKernelInterface, RequestNumbersAreTheKernels) {
  EXPECT_EQ(kFdGetPrm, static_cast<unsigned long>(FDGETPRM));
  EXPECT_EQ(kFdSetPrm, static_cast<unsigned long>(FDSETPRM));
  EXPECT_EQ(kFdFmtTrk, static_cast<unsigned long>(FDFMTTRK));
  EXPECT_EQ(kFdFlush, static_cast<unsigned long>(FDFLUSH));
  EXPECT_EQ(kFdGetDrvTyp, static_cast<unsigned long>(FDGETDRVTYP));
  EXPECT_EQ(kFdRawCmd, static_cast<unsigned long>(FDRAWCMD));
  EXPECT_EQ(kBlkGetSize64, static_cast<unsigned long>(BLKGETSIZE64));
}

TEST(LinuxKernelInterface, RecordsHaveTheKernelsLayout) {
  EXPECT_EQ(sizeof(LinuxFloppyStruct), sizeof(floppy_struct));
  EXPECT_EQ(offsetof(LinuxFloppyStruct, stretch), offsetof(floppy_struct, stretch));
  EXPECT_EQ(offsetof(LinuxFloppyStruct, gap), offsetof(floppy_struct, gap));
  EXPECT_EQ(offsetof(LinuxFloppyStruct, fmtGap), offsetof(floppy_struct, fmt_gap));
  EXPECT_EQ(offsetof(LinuxFloppyStruct, name), offsetof(floppy_struct, name));
  EXPECT_EQ(sizeof(LinuxFormatDescr), sizeof(format_descr));
  EXPECT_EQ(kLinuxDriveNameBytes, sizeof(floppy_drive_name));
  EXPECT_EQ(kFdPollDrvStat, static_cast<unsigned long>(FDPOLLDRVSTAT));
  EXPECT_EQ(kFdDiskChanged, static_cast<unsigned long>(FD_DISK_CHANGED));
  EXPECT_EQ(sizeof(LinuxFloppyDriveStruct), sizeof(floppy_drive_struct));
  EXPECT_EQ(offsetof(LinuxFloppyDriveStruct, generation), offsetof(floppy_drive_struct, generation));
  EXPECT_EQ(offsetof(LinuxFloppyDriveStruct, bufblocks), offsetof(floppy_drive_struct, bufblocks));

  EXPECT_EQ(sizeof(LinuxFloppyRawCmd), sizeof(floppy_raw_cmd));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, data), offsetof(floppy_raw_cmd, data));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, length), offsetof(floppy_raw_cmd, length));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, rate), offsetof(floppy_raw_cmd, rate));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, cmdCount), offsetof(floppy_raw_cmd, cmd_count));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, cmd), offsetof(floppy_raw_cmd, cmd));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, replyCount), offsetof(floppy_raw_cmd, reply_count));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, reply), offsetof(floppy_raw_cmd, reply));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, track), offsetof(floppy_raw_cmd, track));
  EXPECT_EQ(offsetof(LinuxFloppyRawCmd, resultcode), offsetof(floppy_raw_cmd, resultcode));
  EXPECT_EQ(kLinuxRawCmdSize, FD_RAW_CMD_SIZE);
  EXPECT_EQ(kLinuxRawReplySize, FD_RAW_REPLY_SIZE);
}

TEST(LinuxKernelInterface, FlagsAndCommandBytesAreTheKernels) {
  EXPECT_EQ(kFdRawWrite, static_cast<unsigned>(FD_RAW_WRITE));
  EXPECT_EQ(kFdRawIntr, static_cast<unsigned>(FD_RAW_INTR));
  EXPECT_EQ(kFdRawSpin, static_cast<unsigned>(FD_RAW_SPIN));
  EXPECT_EQ(kFdRawNeedDisk, static_cast<unsigned>(FD_RAW_NEED_DISK));
  EXPECT_EQ(kFdRawNeedSeek, static_cast<unsigned>(FD_RAW_NEED_SEEK));
  EXPECT_EQ(kFdRawFailure, static_cast<unsigned>(FD_RAW_FAILURE));
  EXPECT_EQ(kFdFormatCommand, FD_FORMAT);
  EXPECT_EQ(kSt1NotWritable, ST1_WP);

  EXPECT_EQ(kLinuxOpenReadOnly, O_RDONLY);
  EXPECT_EQ(kLinuxOpenReadWrite, O_RDWR);
  EXPECT_EQ(kLinuxOpenExclusive, O_EXCL);
  EXPECT_EQ(kLinuxOpenNonBlock, O_NONBLOCK);
  EXPECT_EQ(kLinuxOpenCloseOnExec, O_CLOEXEC);
  EXPECT_EQ(kLinuxOpenDirect, O_DIRECT);
}

TEST(LinuxKernelInterface, ErrorNumbersAreTheKernels) {
  const int pairs[][2] = {{kLinuxEPerm, EPERM},   {kLinuxENoEnt, ENOENT},       {kLinuxEIo, EIO},
                          {kLinuxENxio, ENXIO},   {kLinuxENoMem, ENOMEM},       {kLinuxEAcces, EACCES},
                          {kLinuxEBusy, EBUSY},   {kLinuxENoDev, ENODEV},       {kLinuxEInval, EINVAL},
                          {kLinuxENotTy, ENOTTY}, {kLinuxENoSpc, ENOSPC},       {kLinuxERofs, EROFS},
                          {kLinuxENoMedium, ENOMEDIUM}, {kLinuxEMediumType, EMEDIUMTYPE}};
  for (const auto& pair : pairs) EXPECT_EQ(pair[0], pair[1]);
}

}  // namespace
