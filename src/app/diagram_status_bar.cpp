#include "diagram_status_bar.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>
#include <functional>
#include <utility>

#include "diagram_view.h"
#include "ooa_panel.h"

namespace {
constexpr int kLongestPage = 240;

// A file's name may be longer than the window is wide: it is shortened in its middle, where a path
// says least, and never widens the window.
class FileLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void setFullText(const QString& text) {
    full_ = text;
    setToolTip(text);
    elide();
  }
  const QString& fullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    elide();
  }

 private:
  void elide() { setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, std::max(0, contentsRect().width()))); }
  QString full_;
};

// Chains a listener after the one already listening.
void listen(std::function<void()>& notice, std::function<void()> listener) {
  notice = [before = std::move(notice), listener = std::move(listener)] {
    if (before) before();
    listener();
  };
}
}  // namespace

DiagramStatusBar::DiagramStatusBar(TOOAPanel& panel, DiagramView& view, QWidget* parent)
    : QStatusBar(parent), panel_(panel), view_(view) {
  setObjectName(QStringLiteral("StatusBar"));
  // The window is docked at the screen's edge and sized by the program: nothing to grip.
  setSizeGripEnabled(false);
  auto* file = new FileLabel(this);
  file->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  file_ = file;
  changes_ = new QLabel(this);
  page_ = new QLabel(this);
  zoom_ = new QLabel(this);
  selection_ = new QLabel(this);
  addWidget(file_, 1);
  for (QLabel* label : {changes_, page_, zoom_, selection_}) addPermanentWidget(label);
  listen(panel_.DiagramChanged, [this] { refresh(); });
  listen(panel_.SelectionChanged, [this] { refresh(); });
  connect(&view_, &DiagramView::zoomed, this, &DiagramStatusBar::refresh);
  refresh();
}

QStringList DiagramStatusBar::texts() const {
  return {static_cast<const FileLabel*>(file_)->fullText(), changes_->text(), page_->text(), zoom_->text(),
          selection_->text()};
}

void DiagramStatusBar::refresh() {
  const std::string& file = panel_.DiagramFile();
  static_cast<FileLabel*>(file_)->setFullText(file.empty() ? QStringLiteral("No file") : QString::fromStdString(file));
  changes_->setText(panel_.History().IsClean() ? QStringLiteral("No unsaved changes") : QStringLiteral("Unsaved changes"));
  const std::string& page = panel_.ActivePageName();
  // A page's name is the user's and may be long: it is cut short rather than widening the window.
  const QString pageText = page.empty() ? QStringLiteral("No page") : QStringLiteral("Page: ") + QString::fromStdString(page);
  page_->setText(page_->fontMetrics().elidedText(pageText, Qt::ElideRight, kLongestPage));
  page_->setToolTip(pageText);
  // Rounded as the menu's "-> Zoom 100 %" item tells it.
  zoom_->setText(QStringLiteral("Zoom %1 %").arg((view_.zoom().PerMille() + 5) / 10));
  const size_t selected = panel_.SelectionSize();
  selection_->setText(selected == 0   ? QStringLiteral("Nothing selected")
                      : selected == 1 ? QStringLiteral("1 object selected")
                                      : QStringLiteral("%1 objects selected").arg(selected));
}
