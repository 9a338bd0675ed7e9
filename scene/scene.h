// The fixed scene: orthographic view of the unit square, one point light, a glowing material.
#pragma once

// Sets up the current rendering context for ScreenWidth x ScreenHeight.
void InitGL();
