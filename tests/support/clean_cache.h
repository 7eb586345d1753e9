// A test fixture for code that uses the process-wide source cache: each test
// starts and ends with an empty cache, default conversion settings and the
// host's conversion switch on.
#pragma once

#include <gtest/gtest.h>

#include "buffers/source_cache.h"
#include "hostlib/zoipc.h"

namespace zotest {

class CleanCache : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

 private:
  static void Reset() {
    namespace Native = Quillfern::ZoCodeInspections::Native;
    Native::ClearCache(Native::CacheScope::processAndThisThread);
    Native::ThreadConversionSettings() = {};
    zoIPC::host::SetConvertToUtf8(true);
  }
};

}  // namespace zotest
