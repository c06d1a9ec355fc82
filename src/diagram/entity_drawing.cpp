// The connector lines of an entity (relation, event and call lines) and the drawing of the entity
// with all its members onto a foreign canvas.
#include "canvas.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

void TEntity::DrawConnectors(Canvas& canvas) {
  if (!panel_) return;
  // The pass runs to completion: nothing may add or remove objects while the lists are walked.
  const TColor savedPen = canvas.PenColor();
  const std::string& page = panel_->ActivePageName();
  for (const auto& slot : relations_) {
    const TRelation* relation = slot.Object.get();
    if (!relation || !relation->IsOnPage(page)) continue;
    if (relation->SourceEntity() && relation->SourceProperty() && relation->SourceProperty()->Visible()) {
      canvas.SetPenColor(clrRed);
      DrawRelationLine(canvas, *relation, *relation->SourceProperty());
    }
    if (relation->TargetEntity() && relation->TargetProperty() && relation->TargetEntity()->IsOnPage(page) &&
        relation->TargetProperty()->Visible()) {
      canvas.SetPenColor(clrGreen);
      DrawRelationLine(canvas, *relation, *relation->TargetProperty());
    }
  }
  if (showMethod_) {
    for (const auto& slot : events_) {
      const TEntityEvent* event = slot.Object.get();
      if (!event || !event->IsOnPage(page)) continue;
      if (event->SourceEntity() && event->SourceMethod() && event->SourceMethod()->Visible()) {
        canvas.SetPenColor(clrBlue);
        DrawEventLine(canvas, *event, *event->SourceMethod());
      }
      if (event->TargetEntity() && event->TargetMethod() && event->TargetEntity()->IsOnPage(page) &&
          event->TargetMethod()->Visible()) {
        canvas.SetPenColor(clrBlack);
        DrawEventLine(canvas, *event, *event->TargetMethod());
      }
    }
  }
  // Call lines keep whatever pen colour the lines before them left.
  for (const auto& slot : methods_) {
    const TMethod& row = *slot.Object;
    if (row.CallMethod()) DrawCallLine(canvas, row, *row.CallMethod(), 5 * row.CallMethodLineDistance());
  }
  canvas.SetPenColor(savedPen);
}

void TEntity::DrawRelationLine(Canvas& canvas, const TRelation& relation, const TProperty& row) const {
  const TAnchorPoints& box = relation.Anchors();
  const TAnchorPoints& member = row.Anchors();
  if (member.CentreX < box.CentreX) {
    canvas.Polyline({{box.LeftX, box.Y}, {box.LeftX - 10, box.Y}, {member.RightX + 10, member.Y}, {member.RightX, member.Y}});
  } else if (box.CentreX < member.CentreX) {
    canvas.Polyline({{box.RightX, box.Y}, {box.RightX + 10, box.Y}, {member.LeftX - 10, member.Y}, {member.LeftX, member.Y}});
  }
}

void TEntity::DrawEventLine(Canvas& canvas, const TEntityEvent& event, const TMethod& row) const {
  const TAnchorPoints& box = event.Anchors();
  const TAnchorPoints& member = row.Anchors();
  if (member.CentreX < box.CentreX) {
    canvas.SetPenWidth(1);
    canvas.Polyline({{box.LeftX, box.Y}, {box.LeftX - 10, box.Y}, {member.RightX + 10, member.Y}, {member.RightX, member.Y}});
    if (&row == event.SourceMethod()) {
      canvas.Polyline({{box.LeftX - 5, box.Y - 5}, {box.LeftX, box.Y}, {box.LeftX - 5, box.Y + 5}});
    } else if (&row == event.TargetMethod()) {
      canvas.MoveTo(member.RightX, member.Y);
      canvas.LineTo(member.RightX + 5, member.Y - 5);
      canvas.MoveTo(member.RightX, member.Y);
      canvas.LineTo(member.RightX + 5, member.Y + 5);
    }
    canvas.SetPenWidth(1);
  } else if (box.CentreX < member.CentreX) {
    canvas.SetPenWidth(1);
    canvas.Polyline({{box.RightX, box.Y}, {box.RightX + 10, box.Y}, {member.LeftX - 10, member.Y}, {member.LeftX, member.Y}});
    if (&row == event.SourceMethod()) {
      canvas.Polyline({{box.RightX + 5, box.Y - 5}, {box.RightX, box.Y}, {box.RightX + 5, box.Y + 5}});
    } else if (&row == event.TargetMethod()) {
      canvas.MoveTo(member.LeftX, member.Y);
      canvas.LineTo(member.LeftX - 5, member.Y - 5);
      canvas.MoveTo(member.LeftX, member.Y);
      canvas.LineTo(member.LeftX - 5, member.Y + 5);
    }
    canvas.SetPenWidth(1);
  }
}

void TEntity::DrawCallLine(Canvas& canvas, const TMethod& row, const TMethod& called, int spacing) const {
  if (row.OwnerEntity() != called.OwnerEntity()) return;
  const int offset = spacing > 1 ? 11 * spacing - 1 : 0;
  const TAnchorPoints& from = row.Anchors();
  const TAnchorPoints& to = called.Anchors();
  canvas.Polyline({{from.RightX + offset, from.Y},
                   {from.RightX + offset + 10, from.Y},
                   {from.RightX + offset + 10, to.Y},
                   {from.RightX + offset, to.Y}});
  canvas.Polyline({{to.RightX + offset + 5, to.Y - 5}, {to.RightX + offset, to.Y}, {to.RightX + offset + 5, to.Y + 5}});
}

void TEntity::DrawToCanvas(Canvas& canvas) {
  for (const auto& slot : relations_)
    if (slot.Object) slot.Object->PaintTo(&canvas);
  for (const auto& slot : events_)
    if (slot.Object) slot.Object->PaintTo(&canvas);
  DrawOn(canvas, Left(), Top());
  for (const auto& slot : properties_) slot.Object->PaintTo(&canvas);
  for (const auto& slot : methods_) slot.Object->PaintTo(&canvas);
}
