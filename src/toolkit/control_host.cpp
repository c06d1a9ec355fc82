#include "control_host.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform.h"
#include "popup_menu.h"

namespace {
TRect BoundsInRoot(const Control& control) {
  const TPoint origin = control.OriginInRoot();
  return {origin.X, origin.Y, origin.X + control.Width(), origin.Y + control.Height()};
}

TPoint LocalPoint(const Control& control, TPoint point) {
  const TPoint origin = control.OriginInRoot();
  return {point.X - origin.X, point.Y - origin.Y};
}
}  // namespace

TControlHost::TControlHost(Control& root, THostWindow& window) : root_(root), window_(window) {}

bool TControlHost::RunGuarded(const std::function<void()>& action) {
  Platform* platform = root_.GetPlatform();
  if (!platform) {
    action();
    return true;
  }
  return RunShowingErrors(*platform, action, [this] { EndDrag(); });
}

void TControlHost::ShowError(const std::string& message) {
  EndDrag();
  if (Platform* platform = root_.GetPlatform()) platform->ShowError(message);
}

void TControlHost::Press(TMouseButton button, TShiftState shift, TPoint at, Control* onto) {
  if (drag_) {
    if (button != TMouseButton::Left) return;
    EndDrag();
  }
  CancelBand();
  const TPoint point = RootPoint(at);
  Control* target = onto ? onto : root_.ControlAt(point.X, point.Y);
  if (!target) return;
  // A left press on the root itself may start a band; the root hears of the press all the same.
  if (target == &root_ && button == TMouseButton::Left && root_.SelectsByBand()) band_ = TBand{at, at, shift};
  const std::weak_ptr<const void> alive = target->LifeToken();
  const TPoint local = LocalPoint(*target, point);
  inLeftPress_ = button == TMouseButton::Left;
  pressedAt_ = at;
  const bool done = RunGuarded([&] { target->MouseDown(button, shift, local.X, local.Y); });
  inLeftPress_ = false;
  if (done && button == TMouseButton::Right && !alive.expired()) OpenMenu(*target, at);
}

void TControlHost::OpenRootMenu(TPoint at) {
  // A drag holds the objects it moves: no command runs until it ends.
  if (!drag_) OpenMenu(root_, at);
}

void TControlHost::OpenMenu(Control& control, TPoint at) {
  Control* owner = &control;
  while (owner && !owner->GetPopupMenu()) owner = owner->Parent();
  if (!owner || owner->GetPopupMenu()->Count() == 0) return;
  const std::weak_ptr<const void> ownerAlive = owner->LifeToken();
  // The captions as the menu showed them, its submenus' too: it may be run after its owner's commands
  // changed it.
  std::vector<std::string> captions;
  for (const MenuItem* item : owner->GetPopupMenu()->AllItems()) captions.push_back(item->Caption());
  const std::optional<size_t> chosen = window_.ChooseFromMenu(*owner, *owner->GetPopupMenu(), at);
  // The menu's own loop may have let anything happen: the item runs only when its owner still lives
  // and the item still stands where it stood.
  if (!chosen || ownerAlive.expired()) return;
  PopupMenu* current = owner->GetPopupMenu();
  if (!current) return;
  const std::vector<const MenuItem*> items = current->AllItems();
  if (*chosen >= items.size() || *chosen >= captions.size() || items[*chosen]->Caption() != captions[*chosen]) return;
  const MenuItem& item = *items[*chosen];
  RunGuarded([&] { item.Click(); });
}

void TControlHost::Move(TShiftState shift, TPoint at) {
  const TPoint point = RootPoint(at);
  if (band_) {
    if (!(shift & ssLeft)) {
      CancelBand();
    } else {
      band_->To = at;
      if (!band_->Moved && std::abs(at.X - band_->From.X) + std::abs(at.Y - band_->From.Y) < dragDistance_) return;
      band_->Moved = true;
      window_.BandMoved(BandRect());
      return;
    }
  }
  if (drag_) {
    if (drag_->WithButton && !(shift & ssLeft)) {
      EndDrag();
      return;
    }
    if (drag_->SourceAlive.expired()) {
      EndDrag();
      return;
    }
    if (drag_->WithButton && !drag_->Moved) {
      if (std::abs(at.X - drag_->PressedAt.X) + std::abs(at.Y - drag_->PressedAt.Y) < dragDistance_) return;
      drag_->Moved = true;
    }
    Control& source = *drag_->Source;
    bool accept = false;
    if (Control* target = root_.ControlAt(point.X, point.Y)) {
      const TPoint local = LocalPoint(*target, point);
      if (!RunGuarded([&] { target->DragOver(source, local.X, local.Y, TDragState::Move, accept); })) return;
    }
    if (!drag_ || drag_->SourceAlive.expired()) {
      EndDrag();
      return;
    }
    // The outline stands where a drop on the surface puts the box: taken at the same place under the
    // pointer as when it was pressed, at the window's zoom.
    const TPoint corner{point.X - drag_->Grab.X, point.Y - drag_->Grab.Y};
    drag_->Outline = WindowRect(
        {corner.X, corner.Y, corner.X + std::max(1, drag_->Size.X), corner.Y + std::max(1, drag_->Size.Y)});
    window_.DragMoved(drag_->Outline, accept);
    return;
  }
  Control* target = root_.ControlAt(point.X, point.Y);
  if (!target) return;
  const TPoint local = LocalPoint(*target, point);
  RunGuarded([&] { target->MouseMove(shift, local.X, local.Y); });
}

void TControlHost::Release(TMouseButton button, TPoint at) {
  if (button == TMouseButton::Left && band_) {
    band_->To = at;
    const bool moved = band_->Moved || std::abs(at.X - band_->From.X) + std::abs(at.Y - band_->From.Y) >= dragDistance_;
    const TRect band = BandRect();
    const TShiftState shift = band_->Shift;
    CancelBand();
    // The band's corners on the root: what it encloses there, at any zoom.
    const TPoint a = RootPoint({band.Left, band.Top});
    const TPoint b = RootPoint({band.Right, band.Bottom});
    if (moved) RunGuarded([&] { root_.BandSelect({a.X, a.Y, b.X, b.Y}, shift); });
    return;
  }
  if (button != TMouseButton::Left || !drag_) return;
  // Let go nearer the press than the drag distance, without having gone further: a click.
  const bool click = drag_->WithButton && !drag_->Moved &&
                     std::abs(at.X - drag_->PressedAt.X) + std::abs(at.Y - drag_->PressedAt.Y) < dragDistance_;
  click ? EndDrag() : Drop(at);
}

void TControlHost::Drop(TPoint at) {
  const TDrag drag = *drag_;
  // Ended before the diagram hears of the drop: the drop may ask questions in dialogs of its own.
  EndDrag();
  if (drag.SourceAlive.expired()) return;
  const TPoint point = RootPoint(at);
  Control* target = root_.ControlAt(point.X, point.Y);
  if (!target) return;
  const std::weak_ptr<const void> targetAlive = target->LifeToken();
  const TPoint local = LocalPoint(*target, point);
  RunGuarded([&] {
    bool accept = false;
    target->DragOver(*drag.Source, local.X, local.Y, TDragState::Move, accept);
    if (!accept || drag.SourceAlive.expired() || targetAlive.expired()) return;
    target->DragDrop(*drag.Source, local.X, local.Y);
  });
}

void TControlHost::BeginDrag(Control& control) {
  if (drag_) window_.DragEnded();
  // The outline is what the root moves with the control: itself, or everything selected with it.
  const TRect bounds = root_.DragBounds(control);
  drag_ = TDrag{&control, control.LifeToken(), inLeftPress_, TRect{}, pressedAt_, {}, {bounds.Width(), bounds.Height()}, !inLeftPress_};
  if (inLeftPress_) {
    const TPoint pressed = RootPoint(pressedAt_);
    drag_->Grab = {pressed.X - bounds.Left, pressed.Y - bounds.Top};
  }
}

void TControlHost::CancelDrag() { EndDrag(); }

void TControlHost::CancelBand() {
  if (!band_) return;
  const bool shown = band_->Moved;
  band_.reset();
  if (shown) window_.BandMoved({});
}

TRect TControlHost::BandRect() const {
  if (!band_) return {};
  return {std::min(band_->From.X, band_->To.X), std::min(band_->From.Y, band_->To.Y),
          std::max(band_->From.X, band_->To.X), std::max(band_->From.Y, band_->To.Y)};
}

void TControlHost::EndDrag() {
  if (!drag_) return;
  drag_.reset();
  window_.DragEnded();
}

const TRect& TControlHost::DragOutline() const {
  static const TRect none;
  return drag_ ? drag_->Outline : none;
}

std::string TControlHost::Paint(THostCanvas& canvas, const TRect& exposed) {
  std::string error;
  try {
    canvas.ClearClip();
    canvas.SetOrigin({});
    canvas.ResetState();
    root_.PaintOn(canvas);
    PaintChildren(canvas, root_, {0, 0, root_.Width(), root_.Height()}, exposed);
    lastPaintError_.clear();
    return {};
  } catch (const std::exception& failure) {
    error = failure.what();
  } catch (...) {
    error = "An unexpected error occurred.";
  }
  // A paint that fails the same way again is not reported again, or the window would never get a
  // paint through between error boxes.
  if (error == lastPaintError_) return {};
  lastPaintError_ = error;
  return error;
}

void TControlHost::PaintChildren(THostCanvas& canvas, Control& parent, const TRect& parentClip, const TRect& exposed) {
  // Painting has side effects (controls resize, hide themselves, restack): walk a copy of the list
  // and let go of any control that died or changed parents meanwhile. Only the controls that stand
  // in the exposed part are taken: on a large diagram most stand elsewhere. One that a paint moves
  // into it asks for its own paint when it moves.
  const TRect wanted = Intersection(parentClip, exposed);
  if (wanted.IsEmpty()) return;
  const TPoint parentOrigin = parent.OriginInRoot();
  std::vector<std::pair<Control*, std::weak_ptr<const void>>> children;
  const auto& places = parent.ChildPlaces();
  for (size_t i = 0; i < places.size(); ++i) {
    if (!places[i].Visible) continue;
    const TRect& bounds = places[i].Bounds;
    const TRect box{parentOrigin.X + bounds.Left, parentOrigin.Y + bounds.Top, parentOrigin.X + bounds.Right,
                    parentOrigin.Y + bounds.Bottom};
    if (box.Intersects(wanted)) children.emplace_back(parent.Children()[i], parent.Children()[i]->LifeToken());
  }
  for (const auto& [child, alive] : children) {
    if (alive.expired() || child->Parent() != &parent || !child->Visible()) continue;
    const TRect box = BoundsInRoot(*child);
    const TRect clip = Intersection(box, parentClip);
    if (clip.IsEmpty() || !clip.Intersects(exposed)) continue;
    canvas.SetClip(clip);
    // The background erase: whatever of the box its paint leaves out shows the control's colour.
    canvas.Fill(box, child->Color());
    canvas.ResetState();
    canvas.SetOrigin({box.Left, box.Top});
    child->PaintOn(canvas);
    if (!alive.expired() && child->Visible()) PaintChildren(canvas, *child, clip, exposed);
  }
}
