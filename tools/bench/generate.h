// Generated mobile descriptions shaped like the built-in one, at any scale.
#pragma once

#include <string>

// `scale` times the built-in mobile: 11 × scale items in a balanced tree
// (each branch n hanging 2n and 2n + 1, every item reachable), and
// 8 × scale desc blocks holding 720 × scale vertices and 465 × scale colours
// in groups of triangles and quads, written with comments as authors do.
std::string GenerateDescription(int scale);
