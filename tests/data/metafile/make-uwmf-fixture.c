// Writes tests/data/metafile/shapes-uwmf-placeable.wmf with libuemf (Debian libuemf-dev); run once by hand:
//   gcc make-uwmf-fixture.c -o make-uwmf-fixture -luemf && ./make-uwmf-fixture
#include <uwmf.h>
#include <stdio.h>
#include <stdlib.h>
int main(void) {
  WMFTRACK *wt; WMFHANDLES *wht; uint32_t ih;
  if (wmf_start("shapes-uwmf-placeable.wmf", 100000, 100000, &wt)) return 1;
  wmf_htable_create(128, 128, &wht);
  U_PAIRF size = {2.0f, 1.0f};
  wmf_header_append((U_METARECORD*)U_WMRHEADER_set(&size, 1440), wt, 1);
  U_POINT16 org = {0, 0}, ext = {2880, 1440};
  wmf_append((U_METARECORD*)U_WMRSETWINDOWORG_set(org), wt, 1);
  wmf_append((U_METARECORD*)U_WMRSETWINDOWEXT_set(ext), wt, 1);
  /* red rectangle over the left third, blue ellipse in the middle third, a thick green line across
     the right third, black text at the bottom left */
  U_COLORREF red = U_RGB(255, 0, 0), blue = U_RGB(0, 0, 255), green = U_RGB(0, 160, 0);
  wmf_append((U_METARECORD*)wcreatebrushindirect_set(&ih, wht, U_WLOGBRUSH_set(U_BS_SOLID, red, 0)), wt, 1);
  wmf_append((U_METARECORD*)wselectobject_set(ih, wht), wt, 1);
  U_POINT16 a = {100, 100}, b = {900, 1000};
  wmf_append((U_METARECORD*)U_WMRRECTANGLE_set(U_RECT16_set(a, b)), wt, 1);
  wmf_append((U_METARECORD*)wcreatebrushindirect_set(&ih, wht, U_WLOGBRUSH_set(U_BS_SOLID, blue, 0)), wt, 1);
  wmf_append((U_METARECORD*)wselectobject_set(ih, wht), wt, 1);
  U_POINT16 c = {1000, 100}, d = {1900, 1000};
  wmf_append((U_METARECORD*)U_WMRELLIPSE_set(U_RECT16_set(c, d)), wt, 1);
  wmf_append((U_METARECORD*)wcreatepenindirect_set(&ih, wht, U_PEN_set(U_PS_SOLID, 100, green)), wt, 1);
  wmf_append((U_METARECORD*)wselectobject_set(ih, wht), wt, 1);
  U_POINT16 e = {2000, 550}, f = {2800, 550};
  wmf_append((U_METARECORD*)U_WMRMOVETO_set(e), wt, 1);
  wmf_append((U_METARECORD*)U_WMRLINETO_set(f), wt, 1);
  wmf_append((U_METARECORD*)U_WMRSETBKMODE_set(U_TRANSPARENT), wt, 1);
  U_FONT *font = U_FONT_set(-300, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  wmf_append((U_METARECORD*)wcreatefontindirect_set(&ih, wht, font), wt, 1);
  free(font);
  wmf_append((U_METARECORD*)wselectobject_set(ih, wht), wt, 1);
  U_POINT16 t = {100, 1100};
  wmf_append((U_METARECORD*)U_WMRTEXTOUT_set(t, "Peer"), wt, 1);
  wmf_append((U_METARECORD*)U_WMREOF_set(), wt, 1);
  wmf_finish(wt);
  wmf_free(&wt);
  wmf_htable_free(&wht);
  return 0;
}
