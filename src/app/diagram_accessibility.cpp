#include "diagram_accessibility.h"

#include <QAccessibleWidget>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <unordered_set>

#include "diagram_host.h"
#include "entity.h"
#include "entity_event.h"
#include "keyboard_focus.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"
#include "shown_text.h"

namespace {
QString Text(const std::string& text) { return QString::fromStdString(text); }
// What a screen reader reads as the object's name: the text the diagram shows on it.
QString NameOf(const Control& object) { return Text(ShownName(object)); }

std::string EndText(const TEntity* entity, const TRow* row) {
  if (!entity || !row) return "nothing";
  return ShownName(*entity) + "." + ShownName(*row);
}

// What it is and what it links, as the diagram draws it with lines.
QString DescriptionOf(const Control& object) {
  if (const auto* entity = dynamic_cast<const TEntity*>(&object))
    return QStringLiteral("entity, %1 propert%2, %3 method%4")
        .arg(entity->PropertyList().size())
        .arg(entity->PropertyList().size() == 1 ? "y" : "ies")
        .arg(entity->MethodList().size())
        .arg(entity->MethodList().size() == 1 ? "" : "s");
  if (const auto* row = dynamic_cast<const TProperty*>(&object))
    return Text("property of " + (row->OwnerEntity() ? ShownName(*row->OwnerEntity()) : std::string("nothing")));
  if (const auto* row = dynamic_cast<const TMethod*>(&object)) {
    std::string text = "method of " + (row->OwnerEntity() ? ShownName(*row->OwnerEntity()) : std::string("nothing"));
    if (row->CallMethod()) text += ", calls " + EndText(row->OwnerEntity(), row->CallMethod());
    return Text(text);
  }
  if (const auto* box = dynamic_cast<const TLinkBox*>(&object)) {
    const bool relation = dynamic_cast<const TRelation*>(box) != nullptr;
    return Text(std::string(relation ? "relation" : "entity event") + " from " + EndText(box->SourceEntity(), box->SourceRow()) +
                " to " + EndText(box->TargetEntity(), box->TargetRow()));
  }
  return {};
}

QAccessible::Role RoleOf(const Control& object) {
  if (dynamic_cast<const TEntity*>(&object)) return QAccessible::List;
  if (dynamic_cast<const TRow*>(&object)) return QAccessible::ListItem;
  return QAccessible::Link;  // a relation or event box: what links rows
}

TOOAPanel& PanelOf(const DiagramHost& host) { return host.panel(); }

bool IsSelected(const TOOAPanel& panel, const Control& object) {
  if (const auto* row = dynamic_cast<const TRow*>(&object)) {
    const TEntity* entity = row->OwnerEntity();
    return entity && entity == panel.SelectedEntity() &&
           (entity->SelectedProperty() == &object || entity->SelectedMethod() == &object);
  }
  const auto* placed = dynamic_cast<const TPlacedControl*>(&object);
  return (placed && panel.Selection().Contains(*placed)) || &object == panel.SelectedEntity();
}

// An entity, row or box of the diagram; it reads the object only while it lives.
class ObjectAccessible : public QAccessibleInterface {
 public:
  ObjectAccessible(DiagramAccessibility& model, Control& object)
      : model_(model), object_(&object), alive_(object.LifeToken()), role_(RoleOf(object)) {}

  Control* control() const { return alive_.expired() ? nullptr : object_; }
  const std::weak_ptr<const void>& alive() const { return alive_; }
  // Kept valid while its removal is told, after the object itself is gone.
  void setTellingRemoval() { tellingRemoval_ = true; }

  bool isValid() const override { return tellingRemoval_ || !alive_.expired(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return model_.host().window()->windowHandle(); }
  QAccessibleInterface* parent() const override {
    if (const auto* row = dynamic_cast<const TRow*>(control()); row && row->OwnerEntity())
      return model_.interfaceOf(*row->OwnerEntity());
    return QAccessible::queryAccessibleInterface(&model_.host());
  }
  int childCount() const override {
    Control* entity = dynamic_cast<TEntity*>(control());
    return entity ? static_cast<int>(DiagramAccessibility::rowsOf(*entity).size()) : 0;
  }
  QAccessibleInterface* child(int index) const override {
    Control* entity = dynamic_cast<TEntity*>(control());
    if (!entity || index < 0) return nullptr;
    const std::vector<Control*> rows = DiagramAccessibility::rowsOf(*entity);
    return static_cast<size_t>(index) < rows.size() ? model_.interfaceOf(*rows[static_cast<size_t>(index)]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    Control* entity = dynamic_cast<TEntity*>(control());
    const auto* row = child ? dynamic_cast<const ObjectAccessible*>(child) : nullptr;
    if (!entity || !row || !row->control()) return -1;
    const std::vector<Control*> rows = DiagramAccessibility::rowsOf(*entity);
    const auto at = std::find(rows.begin(), rows.end(), row->control());
    return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    Control* row = dynamic_cast<TEntity*>(control()) ? model_.objectAt(QPoint(x, y), true) : nullptr;
    return row && dynamic_cast<TRow*>(row) ? model_.interfaceOf(*row) : nullptr;
  }
  QString text(QAccessible::Text kind) const override {
    const Control* object = control();
    if (!object) return {};
    if (kind == QAccessible::Name) return NameOf(*object);
    if (kind == QAccessible::Description) return DescriptionOf(*object);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const Control* object = control();
    if (!object) return {};
    const DiagramHost& host = model_.host();
    const TPoint origin = object->OriginInRoot();
    const TRect shown =
        host.controls().WindowRect({origin.X, origin.Y, origin.X + object->Width(), origin.Y + object->Height()});
    return QRect(host.mapToGlobal(QPoint(shown.Left, shown.Top)), QSize(shown.Width(), shown.Height()));
  }
  QAccessible::Role role() const override { return role_; }
  QAccessible::State state() const override {
    QAccessible::State state;
    const Control* object = control();
    if (!object) {
      state.invalid = true;
      return state;
    }
    state.focusable = true;
    state.selectable = true;
    state.focused = model_.host().focusedObject() == object;
    state.selected = IsSelected(PanelOf(model_.host()), *object);
    return state;
  }

 private:
  DiagramAccessibility& model_;
  Control* object_;
  std::weak_ptr<const void> alive_;
  QAccessible::Role role_;
  bool tellingRemoval_ = false;
};

// The surface: a canvas of the page's objects.
class HostAccessible : public QAccessibleWidget {
 public:
  explicit HostAccessible(DiagramHost* host) : QAccessibleWidget(host, QAccessible::Canvas) {}

  // None while the host is being destroyed: then it has no children.
  DiagramAccessibility* model() const { return static_cast<DiagramHost*>(widget())->accessibility(); }
  int childCount() const override { return model() ? static_cast<int>(model()->pageObjects().size()) : 0; }
  QAccessibleInterface* child(int index) const override {
    if (!model()) return nullptr;
    const std::vector<Control*>& page = model()->pageObjects();
    return index >= 0 && static_cast<size_t>(index) < page.size() ? model()->interfaceOf(*page[static_cast<size_t>(index)]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* object = child ? dynamic_cast<const ObjectAccessible*>(child) : nullptr;
    return model() && object && object->control() ? model()->indexOnPage(*object->control()) : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    Control* object = model() ? model()->objectAt(QPoint(x, y), false) : nullptr;
    return object ? model()->interfaceOf(*object) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    Control* focused = static_cast<DiagramHost*>(widget())->focusedObject();
    return focused && model() ? model()->interfaceOf(*focused) : nullptr;
  }
  QString text(QAccessible::Text kind) const override {
    if (kind != QAccessible::Name) return QAccessibleWidget::text(kind);
    const TOOAPanel& panel = PanelOf(*static_cast<DiagramHost*>(widget()));
    const QString file = panel.DiagramFile().empty() ? QStringLiteral("No file") : QFileInfo(Text(panel.DiagramFile())).fileName();
    return panel.ActivePageName().empty() ? file + QStringLiteral(", no page") : file + QStringLiteral(", page ") + Text(panel.ActivePageName());
  }
};

}  // namespace

DiagramAccessibility::DiagramAccessibility(DiagramHost& host) : host_(host) {
  static const bool installed = [] {
    QAccessible::installFactory(&DiagramAccessibility::factory);
    return true;
  }();
  (void)installed;
}

DiagramAccessibility::~DiagramAccessibility() {
  for (const auto& [object, id] : ids_) QAccessible::deleteAccessibleInterface(id);
}

namespace {
bool gAssumedListening = false;
}  // namespace

bool DiagramAccessibility::listening() { return gAssumedListening || QAccessible::isActive(); }
void DiagramAccessibility::assumeListening(bool assumed) { gAssumedListening = assumed; }

QAccessibleInterface* DiagramAccessibility::factory(const QString& className, QObject* object) {
  if (className == QLatin1String("DiagramHost")) return new HostAccessible(static_cast<DiagramHost*>(object));
  // The main window is a frame named by its caption, not a nameless filler.
  if (className == QLatin1String("TfMain")) return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  return nullptr;
}

QAccessibleInterface* DiagramAccessibility::interfaceOf(Control& object) {
  if (const auto found = ids_.find(&object); found != ids_.end()) {
    auto* known = static_cast<ObjectAccessible*>(QAccessible::accessibleInterface(found->second));
    if (known && known->control() == &object) return known;
    // Another object now stands where a dead one stood.
    QAccessible::deleteAccessibleInterface(found->second);
    ids_.erase(found);
  }
  auto* made = new ObjectAccessible(*this, object);
  ids_[&object] = QAccessible::registerAccessibleInterface(made);
  return made;
}

const std::vector<Control*>& DiagramAccessibility::pageObjects() {
  if (pageKnown_) return page_;
  page_ = PageInReadingOrder(host_.panel());
  pageIndex_.clear();
  for (size_t at = 0; at < page_.size(); ++at) pageIndex_[page_[at]] = static_cast<int>(at);
  pageKnown_ = true;
  // A listener reads the page for the first time: what it sees is what later changes are told against.
  if (!toldKnown_ && listening()) {
    toldKnown_ = true;
    told_ = snapshot();
  }
  return page_;
}

int DiagramAccessibility::indexOnPage(const Control& object) {
  pageObjects();
  const auto found = pageIndex_.find(&object);
  return found == pageIndex_.end() ? -1 : found->second;
}

std::vector<Control*> DiagramAccessibility::rowsOf(Control& object) {
  auto* entity = dynamic_cast<TEntity*>(&object);
  if (!entity || !entity->OwnerPanel()) return {};
  return ShownRowsOf(*entity->OwnerPanel(), *entity);
}

Control* DiagramAccessibility::objectAt(QPoint global, bool rows) const {
  const QPoint local = host_.mapFromGlobal(global);
  const TPoint point = host_.controls().RootPoint({local.x(), local.y()});
  Control* under = host_.panel().ControlAt(point.X, point.Y);
  if (!under || under == &host_.panel()) return nullptr;
  if (rows) return under;
  while (under->Parent() && under->Parent() != &host_.panel()) under = under->Parent();
  return under;
}

void DiagramAccessibility::objectFocused(Control* object) {
  if (!object || !listening()) return;
  QAccessibleEvent event(interfaceOf(*object), QAccessible::Focus);
  QAccessible::updateAccessibility(&event);
}

void DiagramAccessibility::diagramChanged() {
  pageKnown_ = false;
  if (!listening()) {
    told_.clear();
    toldKnown_ = false;
    return;
  }
  tellChanges();
}

void DiagramAccessibility::selectionChanged() {
  if (!listening()) return;
  // Only the objects selected now and those told selected before are looked at: a click costs
  // what the selection holds, not what the diagram holds.
  const TOOAPanel& panel = host_.panel();
  std::unordered_map<const Control*, std::weak_ptr<const void>> now;
  for (TPlacedControl* object : panel.SelectedObjects()) now.emplace(object, object->LifeToken());
  if (TEntity* entity = panel.SelectedEntity(); entity && entity->Visible()) {
    now.emplace(entity, entity->LifeToken());
    if (TProperty* row = entity->SelectedProperty()) now.emplace(row, row->LifeToken());
    if (TMethod* row = entity->SelectedMethod()) now.emplace(row, row->LifeToken());
  }
  const auto tell = [this](Control& control, bool selected) {
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent state(interfaceOf(control), changed);
    QAccessible::updateAccessibility(&state);
    QAccessibleEvent event(interfaceOf(control), selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
    QAccessible::updateAccessibility(&event);
  };
  for (const auto& [object, alive] : selectedTold_)
    if (!alive.expired() && !now.count(object)) tell(*const_cast<Control*>(object), false);
  for (const auto& [object, alive] : now)
    if (!selectedTold_.count(object)) tell(*const_cast<Control*>(object), true);
  selectedTold_ = std::move(now);
}

void DiagramAccessibility::forget(const Control* object) {
  const auto found = ids_.find(object);
  if (found == ids_.end()) return;
  QAccessible::deleteAccessibleInterface(found->second);
  ids_.erase(found);
}

std::unordered_map<const Control*, DiagramAccessibility::TTold> DiagramAccessibility::snapshot() const {
  // Straight through the diagram's lists, whose kinds are known: this runs after every step.
  std::unordered_map<const Control*, TTold> now;
  now.reserve(told_.size() + 16);
  const std::string& page = host_.panel().ActivePageName();
  for (const auto& entity : host_.panel().Entities()) {
    if (!entity) continue;
    if (entity->Visible()) {
      now.emplace(entity.get(), TTold{entity->LifeToken(), ShownName(*entity)});
      for (const auto& slot : entity->PropertyList())
        if (slot.Object && slot.Object->IsShownOn(page))
          now.emplace(slot.Object.get(), TTold{slot.Object->LifeToken(), ShownName(*slot.Object)});
      for (const auto& slot : entity->MethodList())
        if (slot.Object && slot.Object->IsShownOn(page))
          now.emplace(slot.Object.get(), TTold{slot.Object->LifeToken(), ShownName(*slot.Object)});
    }
    for (const auto& slot : entity->RelationList())
      if (slot.Object && slot.Object->Visible())
        now.emplace(slot.Object.get(), TTold{slot.Object->LifeToken(), ShownName(*slot.Object)});
    for (const auto& slot : entity->EventList())
      if (slot.Object && slot.Object->Visible())
        now.emplace(slot.Object.get(), TTold{slot.Object->LifeToken(), ShownName(*slot.Object)});
  }
  return now;
}

void DiagramAccessibility::tellChanges() {
  // More changes than a listener can follow one by one (a page shown, a diagram loaded): the
  // surface's children are told to be read again, once.
  constexpr size_t kMostToldOneByOne = 200;
  const bool known = toldKnown_;
  std::unordered_map<const Control*, TTold> now = snapshot();
  const auto same = [](const std::weak_ptr<const void>& a, const std::weak_ptr<const void>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
  };
  // Gone: every object a listener may know (it has an interface) that is dead or no longer shown.
  std::vector<const Control*> removed;
  for (const auto& [object, id] : ids_) {
    auto* known = static_cast<ObjectAccessible*>(QAccessible::accessibleInterface(id));
    const auto still = now.find(object);
    if (!known || !known->control() || still == now.end() || !same(still->second.Alive, known->alive())) removed.push_back(object);
  }
  std::vector<Control*> created;
  std::vector<Control*> renamed;
  if (known)
    for (const auto& [object, entry] : now) {
      const auto before = told_.find(object);
      if (before == told_.end() || !same(before->second.Alive, entry.Alive))
        created.push_back(const_cast<Control*>(object));
      else if (before->second.Name != entry.Name)
        renamed.push_back(const_cast<Control*>(object));
    }
  told_ = std::move(now);
  toldKnown_ = true;
  if (removed.size() + created.size() + renamed.size() > kMostToldOneByOne) {
    for (const Control* object : removed) forget(object);
    QAccessibleEvent event(&host_, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
    return;
  }
  for (const Control* object : removed) {
    if (auto* known = static_cast<ObjectAccessible*>(QAccessible::accessibleInterface(ids_[object]))) {
      known->setTellingRemoval();
      QAccessibleEvent event(known, QAccessible::ObjectDestroyed);
      QAccessible::updateAccessibility(&event);
    }
    forget(object);
  }
  for (Control* object : created) {
    QAccessibleEvent event(interfaceOf(*object), QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&event);
  }
  for (Control* object : renamed) {
    QAccessibleEvent event(interfaceOf(*object), QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}
