// Sprite instancing: each quad copy carries the first constant register of its sprite record
// (v3.x = 4 + 6n). Record registers: +0..+3 the columns of the world matrix, +4 the colour,
// +5 the texture rectangle (u0, v0, du, dv). c0-c3 hold the screen projection, one row each.
vs_2_0
dcl_position v0
dcl_color v1
dcl_texcoord v2
dcl_blendweight v3

mova a0.x, v3.x

// World position: the template vertex against each column of the world matrix.
dp4 r0.x, v0, c[a0.x + 0]
dp4 r0.y, v0, c[a0.x + 1]
dp4 r0.z, v0, c[a0.x + 2]
dp4 r0.w, v0, c[a0.x + 3]

// Screen to clip space.
dp4 oPos.x, r0, c0
dp4 oPos.y, r0, c1
dp4 oPos.z, r0, c2
dp4 oPos.w, r0, c3

// Colour: the template's white times the sprite's colour.
mul oD0, v1, c[a0.x + 4]

// Texture coordinate: origin plus the template's 0..1 times the rectangle's size.
mov r1, c[a0.x + 5]
mad oT0.xy, v2.xyxy, r1.zwzw, r1.xyxy
