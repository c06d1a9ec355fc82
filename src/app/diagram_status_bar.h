// The line along the bottom of the main window: the diagram's file, whether it holds unsaved
// changes, the page shown, the view's zoom and how many objects are selected, kept current as the
// diagram, its selection and the view change.
#pragma once

#include <QStatusBar>

class DiagramView;
class QLabel;
class TOOAPanel;

class DiagramStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  // Listens to the panel's changes and selection beside whoever listens already; the window lets
  // go of both before the panel goes.
  DiagramStatusBar(TOOAPanel& panel, DiagramView& view, QWidget* parent = nullptr);

  // The texts shown, from the left.
  QStringList texts() const;
  void refresh();

 private:
  TOOAPanel& panel_;
  DiagramView& view_;
  QLabel* file_ = nullptr;
  QLabel* changes_ = nullptr;
  QLabel* page_ = nullptr;
  QLabel* zoom_ = nullptr;
  QLabel* selection_ = nullptr;
};
