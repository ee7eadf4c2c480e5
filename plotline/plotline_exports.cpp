// The screen operations of the path view, and the library's load-time
// language (Czech until the host chooses).
#include <string.h>

#include "bridge/localization.h"
#include "plotline/plotline.h"

namespace {
__attribute__((constructor)) void SelectDefaultLanguage() { LocalizationSelect(nullptr, kLangCzech); }
}  // namespace

LIB_EXPORT int PREFIX_PLOTLINE(_PLOTLINE* r) {
  PlotContext* c = &g_plot;
  PlotSetLayout(c, r);
  if (!c->view.built || !(r->view_request & kRequestKeep)) PlotBuildView(c, r);
  memset(&c->draw, 0, sizeof c->draw);
  r->block_reached = 0;
  PlotPaintFrame(c);
  PlotFullRedraw(c, r);
  PlotRefreshLines(c, r, true);
  return 0;
}

LIB_EXPORT int DATA_PLOTLINE(_PLOTLINE* r) {
  PlotContext* c = &g_plot;
  if (!c->view.built) return 0;  // no layout before the first PREFIX_PLOTLINE
  // The key stays in the record; the host clears it.
  if (r->key != 0) PlotHandleKey(c, r, r->key);
  double tool[3];
  if (c->view.follow && !c->draw.service && PlotReadTool(r, tool) && PlotKeepToolVisible(c, tool))
    PlotFullRedraw(c, r);
  PlotDrawSlice(c, r);
  PlotMarkerShow(c, r);
  PlotRefreshLines(c, r, false);
  return 0;
}
