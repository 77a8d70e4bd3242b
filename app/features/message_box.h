// The main window's message box (a common dialog of type 10) for the
// features: a title and a text, both string-table ids or plain texts.
#pragma once

#include <cstdint>
#include <string>

namespace pemuapp {

class FeatureHost;

// Runs the box modally on the host's dialog runner; returns its result.
int ShowFeatureMessage(FeatureHost& host, const std::string& title, const std::string& text);
int ShowFeatureMessage(FeatureHost& host, uint32_t titleId, uint32_t textId);

}  // namespace pemuapp
