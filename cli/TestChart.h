#pragma once
// A generated 4:3 test chart: colour bars, a grid of thin lines and a centred circle, so that
// stretching, cropping and the smart stretch modes are visible at a glance.

class CRasterImage;

// Fills `image` with a width x height 24-bit chart; returns the image status.
int MakeTestChart(CRasterImage& image, int width, int height);
