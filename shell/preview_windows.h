// The live preview inside the settings dialog's preview area (or, without a parent, a small
// topmost popup).
#pragma once

#include <string>

// Runs the preview for the window named by `parentArgument` until the preview window is
// destroyed; returns at once when no preview window can be made.
void RunPreview(const std::string& parentArgument);
