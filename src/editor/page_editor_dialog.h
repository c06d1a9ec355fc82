// The page editor: a modeless window docked at the right edge of the screen, beside the main window
// (or, where the window system places windows itself, a part of the main window at its right edge),
// that lists the diagram's pages, switches the active page, creates pages and places objects on the
// chosen page in bulk. It works on one panel at a time and on none while it is closed.
#pragma once

#include <QDialog>
#include <QMargins>

#include <functional>
#include <string>

class Platform;
class QBoxLayout;
class QComboBox;
class QFont;
class QFrame;
class QListWidget;
class QPushButton;
class QResizeEvent;
class QScreen;
class QShowEvent;
class QTabWidget;
class TOOAPanel;

class TEREditDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int ClientWidth = 239;
  // The height the layout was drawn for; docked, the window takes the screen's full height and the
  // controls aligned to the bottom follow it.
  static constexpr int DesignHeight = 573;

  // Errors the diagram raises in a handler go to platform's error box; the platform outlives the
  // dialog. Every control takes font.
  TEREditDlg(Platform& platform, const QFont& font, QWidget* parent = nullptr);
  ~TEREditDlg() override;

  // Binds the dialog to panel; none unbinds it. Every handler does nothing while it is unbound.
  void SetEditorPanel(TOOAPanel* panel);
  TOOAPanel* EditorPanel() const { return panel_; }
  bool IsBound() const { return panel_ != nullptr; }

  // Reloads the page list and the page's object lists from the panel, and shows the page that the
  // list then holds (none when the active page is not among the pages).
  void RefreshEditor();

  // Puts the window at the right edge of the screen's available area (the primary screen's when
  // none is given), its full height, ClientWidth wide inside its frame. Until the window system has
  // framed the window the frame is taken to be frameEstimate.
  void DockAtRightEdge(const QMargins& frameEstimate, const QScreen* screen = nullptr);
  // The width of the window frame included: measured once framed, else the estimate of the last
  // docking.
  int OuterWidth() const;
  // Makes the dialog a part of the window that holds row, last in the row: no frame, ClientWidth
  // wide, as high as the row. Only before it is first shown.
  void DockInside(QBoxLayout& row);

 protected:
  void showEvent(QShowEvent* event) override;
  // The controls aligned to the bottom follow the height, whoever sets it.
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Build();
  // Places the controls aligned to the bottom of the window, and the page control filling what
  // they leave, for the window's client height.
  void LayOut(int clientHeight);
  void RunGuarded(const std::function<void()>& action);

  void FormShow();
  void FormClose();
  void CombPageNameChange();
  void Button1Click();
  void ComboBox1Change();
  void Button4Click();
  void PageControl1Change();
  void OKBtnClick();

  Platform& platform_;
  TOOAPanel* panel_ = nullptr;
  // Counts reloads, so that a command can tell whether the panel reloaded the dialog meanwhile.
  int refreshCount_ = 0;
  // Set while "Create New Page" runs, with the active page it started on.
  bool creatingPage_ = false;
  std::string activeBeforeCreate_;
  QMargins frameEstimate_;

  QTabWidget* pageControl1_ = nullptr;
  QComboBox* combPageName_ = nullptr;
  QPushButton* button1_ = nullptr;
  QTabWidget* pageControl3_ = nullptr;
  QListWidget* pageEntityList_ = nullptr;
  QListWidget* pageRelationList_ = nullptr;
  QListWidget* pageEventList_ = nullptr;
  QPushButton* button5_ = nullptr;
  QPushButton* button6_ = nullptr;
  QTabWidget* pageControl2_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QListWidget* addObjectList_ = nullptr;
  QPushButton* button4_ = nullptr;
  QListWidget* removeObjectList_ = nullptr;
  QFrame* panel1_ = nullptr;
  QPushButton* okBtn_ = nullptr;
};
