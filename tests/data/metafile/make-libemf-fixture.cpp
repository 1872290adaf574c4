// Writes tests/data/metafile/shapes-libemf.emf with libEMF (Debian libemf-dev); run once by hand:
//   g++ make-libemf-fixture.cpp -I/usr/include/libEMF -o make-libemf-fixture -lEMF && ./make-libemf-fixture
#include <libEMF/emf.h>
int main() {
  RECT frame = {0, 0, 5080, 2540};   // 2 x 1 inches in hundredths of a millimetre
  HDC dc = CreateEnhMetaFileA(0, "shapes-libemf.emf", &frame, "peer\0drawing\0");
  // red rectangle over the left third, blue ellipse in the middle third, a thick green line across
  // the top of the right third, a black triangle below it; the reference device has 3.2 pixels a
  // millimetre, so the 2 x 1 inch frame is 162 x 81 of its pixels
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(dc, red);
  Rectangle(dc, 5, 5, 50, 75);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(dc, blue);
  Ellipse(dc, 55, 5, 105, 75);
  HPEN green = CreatePen(PS_SOLID, 10, RGB(0, 160, 0));
  SelectObject(dc, green);
  MoveToEx(dc, 110, 20, 0);
  LineTo(dc, 155, 20);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  POINT triangle[3] = {{110, 75}, {155, 75}, {132, 40}};
  Polygon(dc, triangle, 3);
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  DeleteEnhMetaFile(file);
  return 0;
}
