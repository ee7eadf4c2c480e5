// hostsim pens-demo's card: the libraries' own drawing layer (clipped
// lines, text boxes, the 3D view, pens, arcs, markers) into the screen.
#include "bridge/gdi.h"
#include "bridge/pen3d.h"
#include "host/runners/test_cards.h"
#include "host/screen/text.h"
#include "host/services/graphics_services.h"

namespace host {
namespace {

void Label(int x, int y, const char* text) {
  GdiText(x, y, 1000, 1, CLR_BLACK, CLR_TRANSPARENT, 2);
  GdiWriteText(Utf8ToZorv(text).c_str());
}

void Panel(int x1, int y1, int x2, int y2, const char* title) {
  GdiSetClip(0, 0, 799, 599);
  GdiSetColors(CLR_WHITE, CLR_WHITE);
  GdiFillRectClipped(x1, y1, x2, y2);
  GdiSetColors(CLR_BLACK, CLR_WHITE);
  GdiRect(x1, y1, x2, y2, kPatternSolid);
  Label(x1 + 6, y1 + 4, title);
}

}  // namespace

void DrawPensCard(Screen& screen) {
  GraphicsServices gfx(screen);
  gfx.recorder().Enable(false);
  GdiInitCopy(&gfx.table());

  // Line patterns, clipped at the panel's right edge.
  Panel(10, 10, 390, 190, "Patterns, clipped at the frame");
  const uint16_t patterns[] = {0xFFFF, 0xF0F0, 0xCCCC, 0xFAFA, 0xAAAA, 0xFF00};
  for (int i = 0; i < 6; ++i) {
    GdiSetClip(11, 30, 389, 189);
    GdiSetColors(CLR_BLACK + (i == 0 ? 0 : 12 + i % 3), CLR_WHITE);
    GdiLineI(30, 45 + 24 * i, 460, 60 + 24 * i, patterns[i]);
  }

  // Exclusive-or: a fan drawn, half of it drawn again (it vanishes).
  Panel(410, 10, 790, 190, "Exclusive-or: half drawn twice");
  GdiSetClip(411, 30, 789, 189);
  GdiSetXorMode(1);
  GdiSetColors(CLR_RED, CLR_WHITE);
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 12; ++i) {
      if (pass == 1 && i % 2 == 1) continue;
      GdiLineI(600, 180, 430 + 30 * i, 40, kPatternSolid);
    }
  GdiSetXorMode(0);

  // Text boxes clipped by the window: columns and rows cut to what fits.
  Panel(10, 200, 390, 390, "Text boxes limited by the window");
  GdiSetClip(11, 220, 300, 389);
  GdiSetColors(CLR_BLACK, CLR_WHITE);
  GdiRect(11, 220, 300, 389, 0xCCCC);
  GdiText(20, 230, 1000, 1, CLR_BLACK, CLR_YELLOW, 2);
  GdiWriteText(Utf8ToZorv("Řezání plazmou – plasma cutting – Plasmaschneiden").c_str());
  GdiText(20, 260, 1000, 1, CLR_WHITE, CLR_P2, 0);
  GdiWriteText(Utf8ToZorv("Cięcie plazmą, Плазменная резка").c_str());
  GdiText(200, 310, 1000, 3, CLR_RED, CLR_LIGHT, 1);
  GdiWriteText("ABCDEFGH");

  // A 3D box in perspective with its edges clipped by a pen box.
  Panel(410, 200, 790, 590, "3D box, pens, arcs and markers");
  GdiSetClip(411, 220, 789, 589);
  View3DSet(0.6, 0.9, 900, 1.0, 0, 0, 0, 600, 430);
  Pen3D pen = {};
  PenInitBox(&pen, CLR_BLACK, CLR_RED, CLR_WHITE, kPatternSolid, -90, -90, -90, 90, 90, 55);
  PenBox(&pen, -80, -80, -80, 80, 80, 80);  // the top face pokes out of the pen's box
  PenInit(&pen, 12, CLR_WHITE, kPatternSolid);
  PenMoveTo(&pen, 60, 0, -80);
  PenArc(&pen, kPlaneXY, kArcFullCircle, 0, 0, -80, 60, 0, -80);
  PenInit(&pen, 14, CLR_WHITE, 0xF0F0);
  PenMoveTo(&pen, 80, 0, -40);
  PenArc(&pen, kPlaneXZ, 0, 80, 0, 0, 80, 0, 40);
  PenInit(&pen, CLR_BLACK, CLR_WHITE, kPatternSolid);
  PenMoveTo(&pen, -80, -80, 80);
  PenMarker(&pen, 5);
  PenText(&pen, "A", 2);
  PenMoveTo(&pen, 80, 80, -80);
  PenMarker(&pen, 5);
  PenText(&pen, "B", 2);

  // Arcs in the plane: clockwise and counter-clockwise, tiny and large.
  Panel(10, 400, 390, 590, "Arcs: counter-clockwise, clockwise, full");
  GdiSetClip(11, 420, 389, 589);
  View3DSet(0, 0, kParallelView, 1, 0, 0, 0, 0, 600);
  PenInit(&pen, CLR_BLACK, CLR_WHITE, kPatternSolid);
  PenMoveTo(&pen, 130, 90, 0);
  PenArc(&pen, kPlaneXY, 0, 80, 90, 0, 80, 140, 0);
  PenInit(&pen, CLR_RED, CLR_WHITE, kPatternSolid);
  PenMoveTo(&pen, 240, 90, 0);
  PenArc(&pen, kPlaneXY, kArcClockwise, 190, 90, 0, 190, 140, 0);
  PenInit(&pen, 14, CLR_WHITE, kPatternSolid);
  PenMoveTo(&pen, 350, 100, 0);
  PenArc(&pen, kPlaneXY, kArcFullCircle, 300, 100, 0, 350, 100, 0);
  PenMoveTo(&pen, 302, 100, 0);
  PenArc(&pen, kPlaneXY, kArcFullCircle, 300, 100, 0, 302, 100, 0);
  PenInit(&pen, CLR_BLACK, CLR_WHITE, 0xFAFA);
  PenMoveTo(&pen, 30, 30, 0);
  PenArc(&pen, kPlaneXY, kArcClockwise, 200, -400, 0, 370, 30, 0);  // flat arc of a large circle

}

}  // namespace host
