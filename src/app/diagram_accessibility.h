// The diagram as assistive technology sees it (AT-SPI on Linux): the surface is a canvas named after
// the diagram and its page, holding the page's entities (each a list of its rows) and its relation
// and event boxes, each with its text, what it is and what it links, its place on the screen and
// whether it is selected or focused. Focus, selection, creation, removal and renaming are told as
// they happen. Nothing is built or compared while no assistive technology listens.
#pragma once

#include <QAccessible>
#include <QObject>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class Control;
class DiagramHost;
class QAccessibleInterface;

class DiagramAccessibility : public QObject {
 public:
  explicit DiagramAccessibility(DiagramHost& host);
  ~DiagramAccessibility() override;

  DiagramHost& host() const { return host_; }
  // The interface of an object of the page, made once and kept while the object lives.
  QAccessibleInterface* interfaceOf(Control& object);
  // The surface's children: the entities and boxes shown, in reading order.
  const std::vector<Control*>& pageObjects();
  int indexOnPage(const Control& object);
  // The shown rows of an entity, top to bottom.
  static std::vector<Control*> rowsOf(Control& entity);
  // The entity or box a point of the surface falls on, or the row of an entity it falls on.
  Control* objectAt(QPoint global, bool rows) const;

  // Told by the host and the panel.
  void objectFocused(Control* object);
  void diagramChanged();
  void selectionChanged();

  // Whether assistive technology listens: Qt's bridge says so, or it is assumed (to measure what
  // telling costs where no accessibility bus runs).
  static bool listening();
  static void assumeListening(bool assumed);

  // Makes the interfaces of the diagram's widgets (the host, the main window).
  static QAccessibleInterface* factory(const QString& className, QObject* object);

 private:
  struct TTold {
    std::weak_ptr<const void> Alive;
    std::string Name;
  };
  // Every object shown and its rows, as last told: what a change created, removed or renamed.
  void tellChanges();
  std::unordered_map<const Control*, TTold> snapshot() const;
  void forget(const Control* object);

  DiagramHost& host_;
  std::unordered_map<const Control*, QAccessible::Id> ids_;
  std::vector<Control*> page_;
  std::unordered_map<const Control*, int> pageIndex_;
  bool pageKnown_ = false;
  std::unordered_map<const Control*, TTold> told_;
  bool toldKnown_ = false;
  // The objects last told selected.
  std::unordered_map<const Control*, std::weak_ptr<const void>> selectedTold_;
};
