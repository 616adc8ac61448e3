#include "engine/win/unpack_resource.h"

#include <gtest/gtest.h>

#include "child_process.h"
#include "same_bytes.h"
#include "temp_folder.h"

namespace cv {
namespace {

TEST(UnpackResource, WritesTheBuiltLibraryByteForByte) {
  test::TempFolder folder;
  const std::string target = folder.Path() + "unpack.dll";
  ASSERT_TRUE(test::WriteFileBytes(target, "an older file of the same name"));
  ASSERT_TRUE(WriteUnpackLibrary(GetModuleHandleA(nullptr), target));
  const std::string built = test::ReadFileBytes(test::TestProgramFolder() + "unpack.dll");
  ASSERT_GT(built.size(), 1024u);
  EXPECT_TRUE(test::SameBytes(test::ReadFileBytes(target), built));
}

TEST(UnpackResource, ModuleWithoutTheResourceWritesNothing) {
  test::TempFolder folder;
  const std::string target = folder.Path() + "unpack.dll";
  EXPECT_FALSE(WriteUnpackLibrary(GetModuleHandleA("kernel32.dll"), target));
  EXPECT_FALSE(test::PathExists(target));
}

TEST(UnpackResource, UnwritableTargetFails) {
  test::TempFolder folder;
  EXPECT_FALSE(
      WriteUnpackLibrary(GetModuleHandleA(nullptr), folder.Path() + "missing\\unpack.dll"));
}

}  // namespace
}  // namespace cv
