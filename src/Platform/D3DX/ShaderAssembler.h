// Assembly text of vs_2_0 and ps_2_0 shaders to the Direct3D 9 shader token stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Assembles `text`. On success fills `tokens` (version token first, end token last) and
// returns true; otherwise returns false with one "line N: reason" line per error in `errors`.
bool AssembleShaderText(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors);
