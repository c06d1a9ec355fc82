// The page editor's window, built in code at the fixed positions of its layout, and its commands on
// the bound panel's pages and objects.
#include "page_editor_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>

#include <algorithm>
#include <string>

#include "entity.h"
#include "entity_event.h"
#include "ooa_panel.h"
#include "platform.h"
#include "relation.h"
#include "text.h"
#include "window_frame.h"

namespace {
constexpr int kItemHeight = 16;
// Heights of what stands at the bottom of the window: the close bar and the add/remove tabs.
constexpr int kCloseBarHeight = 30;
constexpr int kObjectTabsHeight = 182;

enum ObjectKind { AllEntities = 0, AllRelations = 1, AllEvents = 2 };

// List rows of the layout's fixed height rather than the style's.
class FixedRowHeight : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kItemHeight);
    return size;
  }
};

QWidget* tabSheet(QTabWidget* pages, const char* name, const QString& caption) {
  auto* sheet = new QWidget;
  sheet->setObjectName(QString::fromLatin1(name));
  pages->addTab(sheet, caption);
  return sheet;
}

// A panel without bevel: only a place for other controls.
QFrame* plainPanel(QWidget* parent, const char* name, const QRect& bounds) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameShape(QFrame::NoFrame);
  panel->setGeometry(bounds);
  return panel;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& bounds) {
  auto* result = new QPushButton(caption, parent);
  result->setObjectName(QString::fromLatin1(name));
  result->setGeometry(bounds);
  return result;
}

QListWidget* listBox(QWidget* parent, const char* name, const QRect& bounds, bool multiSelect) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setGeometry(bounds);
  list->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  list->setItemDelegate(new FixedRowHeight(list));
  list->setUniformItemSizes(true);
  return list;
}

QComboBox* dropDownList(QWidget* parent, const char* name, const QRect& bounds) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(false);
  combo->setGeometry(bounds);
  combo->setItemDelegate(new FixedRowHeight(combo));
  return combo;
}

// True when the list shows text, letter case ignored as everywhere the diagram compares names.
bool listHolds(const QListWidget& list, const std::string& text) {
  for (int i = 0; i < list.count(); ++i)
    if (SameText(list.item(i)->text().toStdString(), text)) return true;
  return false;
}
}  // namespace

TEREditDlg::TEREditDlg(Platform& platform, const QFont& font, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(platform) {
  setObjectName(QStringLiteral("EREditDlg"));
  setWindowTitle(QStringLiteral("OOA Diagram Editor Dialog"));
  setModal(false);
  // The main window alone decides when the editor ends; this tool window must not keep it running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(font);
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  Build();
  setFixedSize(ClientWidth, DesignHeight);
  LayOut(DesignHeight);
}

TEREditDlg::~TEREditDlg() {
  // The controls go after this body, and a tab control that loses its pages reports a change: no
  // handler may run on a half-destroyed dialog.
  panel_ = nullptr;
  for (QObject* sender : std::initializer_list<QObject*>{pageControl1_, pageControl2_, combPageName_, comboBox1_,
                                                         button1_, button4_, okBtn_})
    sender->disconnect(this);
  disconnect(this, nullptr, this, nullptr);
}

void TEREditDlg::Build() {
  pageControl1_ = new QTabWidget(this);
  pageControl1_->setObjectName(QStringLiteral("PageControl1"));
  QWidget* tabSheet1 = tabSheet(pageControl1_, "TabSheet1", QStringLiteral("Page Editor"));

  auto* groupBox1 = new QGroupBox(QStringLiteral("Target Page"), tabSheet1);
  groupBox1->setObjectName(QStringLiteral("GroupBox1"));
  groupBox1->setGeometry(0, 0, 231, 107);
  // Aligned to the top of the group box's inside: below the caption, within its two-pixel border.
  QFrame* panel4 = plainPanel(groupBox1, "Panel4", QRect(2, 18, 227, 87));
  auto* label1 = new QLabel(QStringLiteral("Page Name "), panel4);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setTextFormat(Qt::PlainText);
  label1->setGeometry(14, 9, 81, 16);
  combPageName_ = dropDownList(panel4, "CombPageName", QRect(28, 26, 192, 24));
  button1_ = button(panel4, "Button1", QStringLiteral("Create New Page"), QRect(10, 59, 121, 25));
  // The page "Remove" button has no command.
  button(panel4, "Button2", QStringLiteral("Remove"), QRect(151, 59, 67, 25));

  pageControl3_ = new QTabWidget(tabSheet1);
  pageControl3_->setObjectName(QStringLiteral("PageControl3"));
  pageControl3_->setGeometry(0, 110, 231, 220);
  // Each object list fills its tab (223 x 189 inside this page control) above a 30 pixel bar.
  const QRect objectList(0, 0, 223, 159);
  const QRect removeBar(0, 159, 223, 30);
  QWidget* tabSheet5 = tabSheet(pageControl3_, "TabSheet5", QStringLiteral("Entities"));
  pageEntityList_ = listBox(tabSheet5, "PageEntityList", objectList, true);
  // The three remove buttons under the lists have no command and stay disabled.
  button5_ = button(plainPanel(tabSheet5, "Panel2", removeBar), "Button5", QStringLiteral("Remove  Entity"),
                    QRect(0, 4, 95, 25));
  button5_->setEnabled(false);
  QWidget* tabSheet6 = tabSheet(pageControl3_, "TabSheet6", QStringLiteral("Relations"));
  pageRelationList_ = listBox(tabSheet6, "PageRelationList", objectList, true);
  button6_ = button(plainPanel(tabSheet6, "Panel3", removeBar), "Button6", QStringLiteral("Remove Relation"),
                    QRect(-1, 4, 112, 25));
  button6_->setEnabled(false);
  QWidget* tabSheet7 = tabSheet(pageControl3_, "TabSheet7", QStringLiteral("Events"));
  pageEventList_ = listBox(tabSheet7, "PageEventList", objectList, true);
  button(plainPanel(tabSheet7, "Panel5", removeBar), "Button10", QStringLiteral("Remove Event"), QRect(-1, 4, 112, 25))
      ->setEnabled(false);
  pageControl3_->setCurrentIndex(0);

  pageControl2_ = new QTabWidget(this);
  pageControl2_->setObjectName(QStringLiteral("PageControl2"));
  QWidget* tabSheet3 = tabSheet(pageControl2_, "TabSheet3", QStringLiteral("Add Objects"));
  comboBox1_ = dropDownList(tabSheet3, "ComboBox1", QRect(3, 2, 142, 24));
  comboBox1_->addItems({QStringLiteral("0:ALL ENTITIES"), QStringLiteral("1:ALL RELATIONS"),
                        QStringLiteral("2:ALL EVENTS")});
  comboBox1_->setCurrentIndex(-1);
  addObjectList_ = listBox(tabSheet3, "AddObjectList", QRect(2, 30, 219, 89), true);
  button4_ = button(tabSheet3, "Button4", QStringLiteral("Add To Page"), QRect(2, 123, 115, 25));
  QWidget* tabSheet4 = tabSheet(pageControl2_, "TabSheet4", QStringLiteral("Remove Objects"));
  // The whole "Remove Objects" tab has no command: its list is never filled, its buttons do nothing.
  auto* groupBox2 = new QGroupBox(QStringLiteral("Remove Object List"), tabSheet4);
  groupBox2->setObjectName(QStringLiteral("GroupBox2"));
  groupBox2->setGeometry(0, 0, 163, 151);
  removeObjectList_ = listBox(groupBox2, "RemoveObjectList", QRect(2, 18, 159, 131), false);
  button(tabSheet4, "Button7", QStringLiteral("Apply"), QRect(165, 15, 58, 25));
  button(tabSheet4, "Button8", QStringLiteral("Remove"), QRect(165, 67, 58, 25));
  button(tabSheet4, "Button9", QStringLiteral("Clear  All"), QRect(165, 118, 58, 25));
  pageControl2_->setCurrentIndex(0);
  // What a screen reader says of each list: the label or tab beside it, which it cannot tell itself.
  combPageName_->setAccessibleName(QStringLiteral("Page Name"));
  comboBox1_->setAccessibleName(QStringLiteral("Objects to add"));
  addObjectList_->setAccessibleName(QStringLiteral("Objects to add to the page"));
  removeObjectList_->setAccessibleName(QStringLiteral("Remove Object List"));
  pageEntityList_->setAccessibleName(QStringLiteral("Entities on the page"));
  pageRelationList_->setAccessibleName(QStringLiteral("Relations on the page"));
  pageEventList_->setAccessibleName(QStringLiteral("Events on the page"));

  panel1_ = plainPanel(this, "Panel1", QRect(0, 0, ClientWidth, kCloseBarHeight));
  okBtn_ = button(panel1_, "OKBtn", QStringLiteral("Close"), QRect(162, 3, 75, 25));
  okBtn_->setDefault(true);

  // Only what the user picks runs a handler; the dialog's own changes to the lists do not.
  auto guarded = [this](void (TEREditDlg::*handler)()) {
    return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(combPageName_, &QComboBox::activated, this, guarded(&TEREditDlg::CombPageNameChange));
  connect(button1_, &QPushButton::clicked, this, guarded(&TEREditDlg::Button1Click));
  connect(comboBox1_, &QComboBox::activated, this, guarded(&TEREditDlg::ComboBox1Change));
  connect(button4_, &QPushButton::clicked, this, guarded(&TEREditDlg::Button4Click));
  connect(pageControl1_, &QTabWidget::currentChanged, this, guarded(&TEREditDlg::PageControl1Change));
  connect(pageControl2_, &QTabWidget::currentChanged, this, guarded(&TEREditDlg::PageControl1Change));
  connect(okBtn_, &QPushButton::clicked, this, guarded(&TEREditDlg::OKBtnClick));
  // Every way of closing ends in finished: the close button, Escape, the title bar's close.
  connect(this, &QDialog::finished, this, guarded(&TEREditDlg::FormClose));
}

void TEREditDlg::LayOut(int clientHeight) {
  const int objectTabsTop = std::max(0, clientHeight - kCloseBarHeight - kObjectTabsHeight);
  pageControl1_->setGeometry(0, 0, ClientWidth, objectTabsTop);
  pageControl2_->setGeometry(0, objectTabsTop, ClientWidth, kObjectTabsHeight);
  panel1_->setGeometry(0, objectTabsTop + kObjectTabsHeight, ClientWidth, kCloseBarHeight);
}

void TEREditDlg::RunGuarded(const std::function<void()>& action) { RunShowingErrors(platform_, action); }

void TEREditDlg::SetEditorPanel(TOOAPanel* panel) { panel_ = panel; }

int TEREditDlg::OuterWidth() const {
  const QMargins measured = FrameMarginsOf(*this);
  const QMargins frame = measured.isNull() ? frameEstimate_ : measured;
  return ClientWidth + frame.left() + frame.right();
}

void TEREditDlg::DockAtRightEdge(const QMargins& frameEstimate, const QScreen* screen) {
  frameEstimate_ = frameEstimate;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QMargins measured = FrameMarginsOf(*this);
  const QMargins frame = measured.isNull() ? frameEstimate_ : measured;
  const int clientHeight = std::max(1, available.height() - frame.top() - frame.bottom());
  setFixedSize(ClientWidth, clientHeight);
  LayOut(clientHeight);
  // A window's position is that of its frame.
  move(available.left() + available.width() - (ClientWidth + frame.left() + frame.right()), available.top());
}

void TEREditDlg::DockInside(QBoxLayout& row) {
  setParent(row.parentWidget(), Qt::Widget);
  setMinimumSize(ClientWidth, 0);
  setMaximumSize(ClientWidth, QWIDGETSIZE_MAX);
  row.addWidget(this);
}

void TEREditDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOut(height());
}

bool TEREditDlg::event(QEvent* event) {
  // Inside the main window, the window's keys (Delete, F2, the arrows, Ctrl+A) would act on the
  // diagram while the editor's lists and combos have the keyboard: the editor keeps every key for
  // its own fields, as it does as a window of its own.
  if (event->type() == QEvent::ShortcutOverride && !isWindow()) {
    event->accept();
    return true;
  }
  return QDialog::event(event);
}

void TEREditDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window restored from the task bar is shown again by the window system; only showing it
  // reloads it.
  if (!event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TEREditDlg::FormShow() { RefreshEditor(); }

void TEREditDlg::FormClose() {
  if (panel_) panel_->SetPageEditorShown(false);
  SetEditorPanel(nullptr);
}

void TEREditDlg::RefreshEditor() {
  if (!panel_) return;
  // While this dialog's own "Create New Page" runs, the panel's reload for the new page is taken
  // only when the page became the active one: otherwise the button appends the page itself and
  // leaves the lists as they are.
  if (creatingPage_ && panel_->ActivePageName() == activeBeforeCreate_) return;
  ++refreshCount_;
  combPageName_->clear();
  const TEntryList& pages = panel_->OwnPageList();
  int active = -1;
  for (size_t i = 0; i < pages.size(); ++i) {
    combPageName_->addItem(QString::fromStdString(pages[i]));
    if (active < 0 && SameText(pages[i], panel_->ActivePageName())) active = static_cast<int>(i);
  }
  combPageName_->setCurrentIndex(active);
  CombPageNameChange();
}

void TEREditDlg::CombPageNameChange() {
  if (!panel_) return;
  for (QListWidget* list : {addObjectList_, removeObjectList_, pageEntityList_, pageRelationList_, pageEventList_})
    list->clear();
  const std::string page = combPageName_->currentText().toStdString();
  for (const auto& entity : panel_->Entities()) {
    if (!entity) continue;
    if (entity->IsOnPage(page)) pageEntityList_->addItem(QString::fromStdString(entity->EntityDesc()));
    for (const auto& slot : entity->RelationList())
      if (slot.Object && slot.Object->IsOnPage(page)) pageRelationList_->addItem(QString::fromStdString(slot.Object->RelationDesc()));
    for (const auto& slot : entity->EventList())
      if (slot.Object && slot.Object->IsOnPage(page)) pageEventList_->addItem(QString::fromStdString(slot.Object->EventDesc()));
  }
  panel_->SetActivePageName(page);
  panel_->ShowActivePage();
}

void TEREditDlg::Button1Click() {
  if (!panel_) return;
  TOOAPanel* panel = panel_;
  const size_t pagesBefore = panel->OwnPageList().size();
  const int refreshesBefore = refreshCount_;
  const QPointer<TEREditDlg> alive(this);
  // Asks for the name in a box of its own, and reloads this dialog when the page became active.
  creatingPage_ = true;
  activeBeforeCreate_ = panel->ActivePageName();
  try {
    panel->CreatePage();
  } catch (...) {
    if (alive) creatingPage_ = false;
    throw;
  }
  if (!alive) return;
  creatingPage_ = false;
  if (panel_ != panel) return;
  const TEntryList& pages = panel->OwnPageList();
  // A reload already lists every page; adding the new one again would show it twice.
  if (pages.size() <= pagesBefore || refreshCount_ != refreshesBefore) return;
  const int selected = combPageName_->currentIndex();
  combPageName_->addItem(QString::fromStdString(pages.back()));
  // An empty list selects the first item it receives; the page shown must not change.
  combPageName_->setCurrentIndex(selected);
}

void TEREditDlg::ComboBox1Change() {
  if (!panel_) return;
  const int kind = comboBox1_->currentIndex();
  if (kind != AllEntities && kind != AllRelations && kind != AllEvents) return;
  addObjectList_->clear();
  for (const auto& entity : panel_->Entities()) {
    if (!entity) continue;
    if (kind == AllEntities) addObjectList_->addItem(QString::fromStdString(entity->EntityDesc()));
    if (kind == AllRelations)
      for (const auto& slot : entity->RelationList())
        if (slot.Object) addObjectList_->addItem(QString::fromStdString(slot.Object->RelationDesc()));
    if (kind == AllEvents)
      for (const auto& slot : entity->EventList())
        if (slot.Object) addObjectList_->addItem(QString::fromStdString(slot.Object->EventDesc()));
  }
  pageControl3_->setCurrentIndex(kind);
}

void TEREditDlg::Button4Click() {
  if (!panel_) return;
  const std::string page = combPageName_->currentText().toStdString();
  if (IsBlank(page)) return;
  // Only the item with the focus counts, whatever else is selected.
  const QListWidgetItem* current = addObjectList_->currentItem();
  if (!current) return;
  const std::string desc = current->text().toStdString();
  TPlacedControl* object = nullptr;
  switch (comboBox1_->currentIndex()) {
    case AllEntities:
      if (listHolds(*pageEntityList_, desc)) return;
      object = panel_->FindEntity(desc);
      break;
    case AllRelations:
      if (listHolds(*pageRelationList_, desc)) return;
      object = panel_->FindRelation(desc);
      break;
    case AllEvents:
      if (listHolds(*pageEventList_, desc)) return;
      object = panel_->FindEntityEvent(desc);
      break;
    default:
      return;
  }
  // The object may have been renamed or removed since the list was filled. The page lists are not
  // reloaded here: the object is listed from the next page change or reload on.
  if (!object) return;
  TEntity* owner = dynamic_cast<TEntity*>(object);
  if (!owner) owner = static_cast<TLinkBox*>(object)->OwnerEntity();
  const TEditStep step(panel_, "Add " + desc + " to Page " + page, TDiagramHistory::ScopeOf(owner));
  object->AddPageEntry(page);
}

void TEREditDlg::PageControl1Change() {
  // Nothing ever enables these two; a tab change makes sure they stay off.
  button5_->setEnabled(false);
  button6_->setEnabled(false);
}

void TEREditDlg::OKBtnClick() { close(); }
