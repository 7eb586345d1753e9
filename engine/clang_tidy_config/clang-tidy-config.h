// Build configuration of the clang-tidy archives we link: the static analyzer
// checks are built in.
#pragma once
#define CLANG_TIDY_ENABLE_STATIC_ANALYZER 1
