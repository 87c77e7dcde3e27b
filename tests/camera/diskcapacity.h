#pragma once

#include <QString>

#include <cstdint>

// A disk that fills up, under one folder of the real file system, for the process's own writes.
// While an object lives, writes that would grow the files directly inside `folder` past
// `capacityBytes` in all (the sum of their sizes) fail as a full file system fails them: the
// part that fits is written, then ENOSPC. Truncating a file there gives its room back. With
// `toldByStatvfs`, statvfs() of the folder reports the room left, so a writer that watches the
// disk sees it fill up; without it, statvfs() reports the real (roomy) disk, so that a write is
// what finds the disk full.
//
// It works by defining write(), writev(), pwrite() and statvfs() in the test executable, which
// exports them (CMake ENABLE_EXPORTS): GStreamer's file sink and Qt's file engine, in shared
// libraries, then call these, which pass every other call on to the C library. Any thread.
class DiskCapacity
{
public:
    DiskCapacity(const QString &folder, std::uint64_t capacityBytes, bool toldByStatvfs);
    ~DiskCapacity();
    DiskCapacity(const DiskCapacity &) = delete;
    DiskCapacity &operator=(const DiskCapacity &) = delete;

    // The executable's definitions are the ones the libraries call (the export worked).
    static bool interposed();
    // Writes refused with ENOSPC so far.
    std::uint64_t refusedWrites() const;
    // The bytes the files in the folder hold now.
    std::uint64_t used() const;
};
