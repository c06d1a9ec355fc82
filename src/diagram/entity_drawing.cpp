// The connector lines of an entity (relation, event and call lines) and the drawing of the entity
// with all its members onto a foreign canvas.
#include "blank_canvas.h"
#include "connector_shape.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

namespace {
// A box's two lines on the page, each in its own pen, while the box shows: each line only while
// the row at its end shows too (its entity on the page, its rows of that kind shown, the row among
// them), for a line that ends at a hidden box or row would end at empty surface.
template <class DrawLine>
void DrawBoxLines(Canvas& canvas, const TLinkBox& box, const std::string& page, TColor sourcePen, TColor targetPen,
                  DrawLine drawLine) {
  if (!box.IsShownOn(page)) return;
  if (box.SourceEntity() && box.SourceRow() && box.SourceRow()->IsShownOn(page)) {
    canvas.SetPenColor(sourcePen);
    drawLine(*box.SourceRow());
  }
  if (box.TargetEntity() && box.TargetRow() && box.TargetRow()->IsShownOn(page)) {
    canvas.SetPenColor(targetPen);
    drawLine(*box.TargetRow());
  }
}
}  // namespace

void TEntity::DrawConnectors(Canvas& canvas) {
  if (!panel_) return;
  // The pass runs to completion: nothing may add or remove objects while the lists are walked.
  const TColor savedPen = canvas.PenColor();
  const std::string& page = panel_->ActivePageName();
  DrawBoxConnectors(canvas, page);
  // Call lines keep whatever pen colour the lines before them left.
  for (const auto& slot : methods_) DrawCallConnector(canvas, *slot.Object, page);
  canvas.SetPenColor(savedPen);
}

void TEntity::DrawBoxConnectors(Canvas& canvas, const std::string& page) const {
  for (const auto& slot : relations_)
    if (slot.Object) DrawRelationConnectors(canvas, *slot.Object, page);
  if (showMethod_)
    for (const auto& slot : events_)
      if (slot.Object) DrawEventConnectors(canvas, *slot.Object, page);
}

void TEntity::DrawRelationConnectors(Canvas& canvas, const TRelation& relation, const std::string& page) const {
  DrawBoxLines(canvas, relation, page, clrRed, clrGreen,
               [&](const TRow& row) { DrawRelationLine(canvas, relation, static_cast<const TProperty&>(row)); });
}

void TEntity::DrawEventConnectors(Canvas& canvas, const TEntityEvent& event, const std::string& page) const {
  DrawBoxLines(canvas, event, page, clrBlue, clrBlack,
               [&](const TRow& row) { DrawEventLine(canvas, event, static_cast<const TMethod&>(row)); });
}

void TEntity::DrawCallConnector(Canvas& canvas, const TMethod& row, const std::string& page) const {
  // A bracket stands beside its entity's rows: only where the entity and both rows show.
  const TMethod* called = row.CallMethod();
  if (called && row.IsShownOn(page) && called->IsShownOn(page))
    DrawCallLine(canvas, row, *called, 5LL * row.CallMethodLineDistance());
}

TColor TEntity::CallLinePen(TColor startPen, const std::string& page) const {
  // A canvas that draws nothing keeps only the pen: which pen the run of drawing leaves behind.
  BlankCanvas pen;
  pen.SetPenColor(startPen);
  DrawBoxConnectors(pen, page);
  return pen.PenColor();
}

namespace {
void DrawShape(Canvas& canvas, const TConnectorShape& shape) {
  for (int i = 0; i < shape.Count; ++i) {
    const TStroke& stroke = shape.Strokes[static_cast<size_t>(i)];
    canvas.Polyline(std::vector<TPoint>(stroke.Points.begin(), stroke.Points.begin() + stroke.Count));
  }
}
}  // namespace

void TEntity::DrawRelationLine(Canvas& canvas, const TRelation& relation, const TProperty& row) const {
  if (const auto shape = relation.LineShapeTo(row)) DrawShape(canvas, *shape);
}

void TEntity::DrawEventLine(Canvas& canvas, const TEntityEvent& event, const TMethod& row) const {
  const auto shape = event.LineShapeTo(row);
  if (!shape) return;
  canvas.SetPenWidth(1);
  DrawShape(canvas, *shape);
  canvas.SetPenWidth(1);
}

void TEntity::DrawCallLine(Canvas& canvas, const TMethod& row, const TMethod& called, long long spacing) const {
  if (row.OwnerEntity() != called.OwnerEntity()) return;
  DrawShape(canvas, CallLineShape(row.Anchors(), called.Anchors(), spacing));
}

void TEntity::DrawToCanvas(Canvas& canvas) {
  // Each box and row starts from a fresh canvas, as each starts on the screen: a colour one leaves
  // behind (a selected row's text colour) must not reach the text of the next.
  for (const auto& slot : relations_)
    if (slot.Object) {
      canvas.ResetState();
      slot.Object->PaintTo(&canvas);
    }
  for (const auto& slot : events_)
    if (slot.Object) {
      canvas.ResetState();
      slot.Object->PaintTo(&canvas);
    }
  canvas.ResetState();
  DrawOn(canvas, Left(), Top());
  for (const auto& slot : properties_) {
    canvas.ResetState();
    slot.Object->PaintTo(&canvas);
  }
  for (const auto& slot : methods_) {
    canvas.ResetState();
    slot.Object->PaintTo(&canvas);
  }
}
