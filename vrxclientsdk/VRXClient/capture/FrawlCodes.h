// Results of the screen-capture library's Open().
#pragma once

// The X display cannot be opened, or the configured screen or window cannot be read.
constexpr int kFrawlNoDisplay = -1;
// The output size or colour format cannot be used.
constexpr int kFrawlBadOutput = -2;
// The capture thread cannot be started.
constexpr int kFrawlNoThread = -3;
