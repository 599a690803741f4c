// The sprite batch's shader scheme in assembly, for tests that draw the way the batch does: a
// unit quad per sprite in stream 0, the sprite's first constant register in stream 1, six
// registers per sprite (transposed world matrix, colour, texture rectangle) after a projection
// in c0-c3.
#pragma once

inline const char* const kInstancingVS = "vs_2_0\n"
                                         "dcl_position v0\n"
                                         "dcl_color v1\n"
                                         "dcl_texcoord v2\n"
                                         "dcl_blendweight v3\n"
                                         "mova a0.x, v3.x\n"
                                         "dp4 r0.x, v0, c[a0.x + 0]\n"
                                         "dp4 r0.y, v0, c[a0.x + 1]\n"
                                         "dp4 r0.z, v0, c[a0.x + 2]\n"
                                         "dp4 r0.w, v0, c[a0.x + 3]\n"
                                         "dp4 oPos.x, r0, c0\n"
                                         "dp4 oPos.y, r0, c1\n"
                                         "dp4 oPos.z, r0, c2\n"
                                         "dp4 oPos.w, r0, c3\n"
                                         "mul oD0, v1, c[a0.x + 4]\n"
                                         "mad oT0.xy, v2.xy, c[a0.x + 5].zw, c[a0.x + 5].xy\n";
inline const char* const kInstancingPS = "ps_2_0\n"
                                         "dcl v0\n"
                                         "dcl t0.xy\n"
                                         "dcl_2d s0\n"
                                         "texld r0, t0, s0\n"
                                         "mul r0, r0, v0\n"
                                         "mov oC0, r0\n";
