#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <type_traits>
#include <utility>

#include "runtime/FileDescriptor.h"

using namespace orvalis;

namespace {

bool IsOpenDescriptor(int descriptor) { return ::fcntl(descriptor, F_GETFD) != -1; }

// The two ends of a new pipe: descriptors that need no file.
std::pair<int, int> NewPipe() {
    int ends[2] = {-1, -1};
    EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    return {ends[0], ends[1]};
}

}  // namespace

static_assert(!std::is_copy_constructible_v<FileDescriptor> && !std::is_copy_assignable_v<FileDescriptor>,
              "one owner closes a descriptor");

TEST(FileDescriptor, ClosesWhatItOwnsOnceAndNothingItHandedOver) {
    const auto [readEnd, writeEnd] = NewPipe();
    {
        FileDescriptor reader(readEnd);
        FileDescriptor moved(std::move(reader));
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_EQ(moved.Get(), readEnd);

        FileDescriptor writer(writeEnd);
        EXPECT_EQ(writer.Release(), writeEnd);
        EXPECT_FALSE(writer.IsOpen());
    }
    EXPECT_FALSE(IsOpenDescriptor(readEnd)) << "the last owner closed it";
    EXPECT_TRUE(IsOpenDescriptor(writeEnd)) << "released: the new owner closes it";
    ::close(writeEnd);
}

TEST(FileDescriptor, AssigningClosesTheFormerDescriptor) {
    const auto [readEnd, writeEnd] = NewPipe();
    FileDescriptor owner(readEnd);
    owner = FileDescriptor(writeEnd);
    EXPECT_FALSE(IsOpenDescriptor(readEnd));
    EXPECT_EQ(owner.Get(), writeEnd);
    owner = FileDescriptor();
    EXPECT_FALSE(IsOpenDescriptor(writeEnd));
    EXPECT_FALSE(owner.IsOpen());
}

TEST(FileDescriptor, ClosingLeavesTheCallersErrnoAsItWas) {
    const auto [readEnd, writeEnd] = NewPipe();
    ::close(writeEnd);
    {
        FileDescriptor closedBehindItsBack(writeEnd);  // its close fails with EBADF
        FileDescriptor reader(readEnd);
        errno = ENODEV;
    }
    EXPECT_EQ(errno, ENODEV);
    EXPECT_FALSE(IsOpenDescriptor(readEnd));
}
