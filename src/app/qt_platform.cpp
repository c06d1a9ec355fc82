// Dialogs of the diagram on Qt. Texts the user typed (names, descriptions) reach labels and message
// boxes, so every label is plain text: a name such as "<b>" must show as written.
#include "qt_platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QSpinBox>
#include <QStringList>
#include <QStyle>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

#include "diagram_host.h"
#include "drawing_file.h"
#include "drawing_print.h"
#include "qt_bitmap.h"

namespace {
const char* const kApplicationTitle = "Quorvane";

void appendOnce(QStringList& list, const QString& item) {
  if (!item.isEmpty() && !list.contains(item)) list << item;
}

// Room a title bar takes beside its caption: the window menu, the minimise, maximise and close
// buttons and the margins between them.
constexpr int kTitleBarRoom = 120;

// The width at which the window system shows the whole caption in a window's title bar: the caption
// in a bold face of the title font (as title bars commonly draw it), and the room beside it; but
// no wider than the available area of the screen the window opens on (its parent's): a window
// wider than the screen would have its buttons out of reach.
int captionWidth(const QWidget& window) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const int width = QFontMetrics(font).horizontalAdvance(window.windowTitle()) + kTitleBarRoom;
  const QScreen* screen = window.parentWidget() ? window.parentWidget()->screen() : window.screen();
  return screen ? std::min(width, screen->availableGeometry().width()) : width;
}

// A message box sizes itself to its text when it is shown, whatever width it was given: a spacer
// across its layout, as wide as the caption needs, keeps it from being narrower.
void fitCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  const QMargins margins = grid->contentsMargins();
  const int width = std::max(0, captionWidth(box) - margins.left() - margins.right());
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

void showBox(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
  QMessageBox box(icon, QString::fromUtf8(kApplicationTitle), QString::fromStdString(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  fitCaption(box);
  box.exec();
}
}  // namespace

QString qtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  // A description without a pattern after it is no filter; it is left out rather than guessed.
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& raw : parts[i + 1].split(QLatin1Char(';'))) {
      const QString pattern = raw.trimmed();
      // File names on this system are case-sensitive, but diagrams often come from systems where
      // they are not: "*.ERD" must also find "plan.erd".
      appendOnce(patterns, pattern);
      appendOnce(patterns, pattern.toLower());
      appendOnce(patterns, pattern.toUpper());
    }
    if (patterns.isEmpty()) continue;
    filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

QString qtDefaultSuffix(const std::string& defaultExt) {
  QString suffix = QString::fromStdString(defaultExt).trimmed();
  if (suffix.startsWith(QStringLiteral("*."))) suffix.remove(0, 2);
  else if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
  return suffix;
}

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

void QtPlatform::setHost(DiagramHost* host) { host_ = host; }
DiagramHost* QtPlatform::host() const { return host_; }

std::string QtPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultValue) {
  return askText(caption, prompt, defaultValue, QLineEdit::Normal).value_or(defaultValue);
}

std::optional<std::string> QtPlatform::AskPassword(const std::string& caption, const std::string& prompt) {
  return askText(caption, prompt, {}, QLineEdit::Password);
}

std::optional<std::string> QtPlatform::askText(const std::string& caption, const std::string& prompt,
                                               const std::string& defaultValue, int echo) {
  QInputDialog dialog(mainWindow_);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextEchoMode(static_cast<QLineEdit::EchoMode>(echo));
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.setLabelText(QString::fromStdString(prompt));
  dialog.setTextValue(QString::fromStdString(defaultValue));
  if (auto* label = dialog.findChild<QLabel*>()) label->setTextFormat(Qt::PlainText);
  // Its size follows the prompt and the field, laid out only when it is shown: a field at least as
  // wide as the caption needs makes the box show the caption whole too.
  if (auto* field = dialog.findChild<QLineEdit*>()) {
    const QStyle* style = dialog.style();
    const int margins = style->pixelMetric(QStyle::PM_LayoutLeftMargin) + style->pixelMetric(QStyle::PM_LayoutRightMargin);
    field->setMinimumWidth(std::max(field->minimumWidth(), captionWidth(dialog) - margins));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

bool QtPlatform::AskYesNo(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                  mainWindow_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  fitCaption(box);
  box.exec();
  // Closing the box any other way than by Yes is a No.
  return box.clickedButton() == box.button(QMessageBox::Yes);
}

void QtPlatform::ShowMessage(const std::string& text) { showBox(mainWindow_, QMessageBox::NoIcon, text); }

void QtPlatform::ShowError(const std::string& text) { showBox(mainWindow_, QMessageBox::Critical, text); }

std::optional<std::string> QtPlatform::OpenFileDialog(const FileDialogOptions& options) {
  return runFileDialog(options, false);
}

std::optional<std::string> QtPlatform::SaveFileDialog(const FileDialogOptions& options) {
  return runFileDialog(options, true);
}

std::optional<std::string> QtPlatform::runFileDialog(const FileDialogOptions& options, bool save) {
  QFileDialog dialog(mainWindow_);
  // Qt's own dialog behaves the same on every desktop, and tests can drive it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (!options.Title.empty()) dialog.setWindowTitle(QString::fromStdString(options.Title));
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The diagram asks its own questions before it overwrites anything.
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QString filter = qtFileFilter(options.Filter);
  if (!filter.isEmpty()) dialog.setNameFilters(filter.split(QStringLiteral(";;")));
  const QString suffix = qtDefaultSuffix(options.DefaultExt);
  if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  if (!options.InitialDir.empty()) dialog.setDirectory(QString::fromStdString(options.InitialDir));
  if (!options.FileName.empty()) {
    const QString fileName = QString::fromStdString(options.FileName);
    const QFileInfo file(fileName);
    if (fileName.contains(QLatin1Char('/'))) dialog.setDirectory(file.absolutePath());
    dialog.selectFile(file.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
  if (save && options.SuffixFromFilter) {
    const qsizetype chosen = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    return NameForFilter(files.first().toStdString(), options.Filter, static_cast<size_t>(std::max<qsizetype>(0, chosen)));
  }
  return files.first().toStdString();
}

std::string QtPlatform::Choose(const ChoiceDialog& choice) {
  QDialog dialog(mainWindow_, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                  Qt::MSWindowsFixedSizeDialogHint);
  dialog.setObjectName(QStringLiteral("ChoiceDialog"));
  dialog.setWindowTitle(QString::fromStdString(choice.Caption));
  if (choice.FontSize > 0) {
    QFont font = dialog.font();
    font.setPointSize(choice.FontSize);
    dialog.setFont(font);
  }
  // As wide as the layout makes it, or wider when its caption (an object's name in it) needs more.
  dialog.setFixedSize(std::max({1, choice.Width, captionWidth(dialog)}), std::max(1, choice.Height));

  auto* label = new QLabel(&dialog);
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromStdString(choice.Label));
  label->move(choice.LabelLeft, choice.LabelTop);
  label->adjustSize();

  auto* list = new QComboBox(&dialog);
  list->setEditable(false);
  for (const std::string& item : choice.Items) list->addItem(QString::fromStdString(item));
  const bool valid = choice.ItemIndex >= 0 && choice.ItemIndex < list->count();
  list->setCurrentIndex(valid ? choice.ItemIndex : -1);
  list->move(choice.ListLeft, choice.ListTop);
  list->resize(std::max(1, choice.ListWidth), list->sizeHint().height());

  auto* close = new QPushButton(QString::fromStdString(choice.CloseCaption), &dialog);
  close->setObjectName(QStringLiteral("CloseButton"));
  close->setDefault(true);
  close->move(choice.CloseLeft, choice.CloseTop);
  close->resize(75, 25);
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);

  // Centred on the desktop the main window stands on, which need not be the primary one.
  if (const QScreen* desktop = screen()) {
    const QRect area = desktop->geometry();
    dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  // There is no cancel: however the dialog closes, the list's text is the answer, unless only the
  // button may give it.
  const bool byButton = dialog.exec() == QDialog::Accepted;
  if (choice.AnswerOnlyByButton && !byButton) return {};
  return list->currentText().toStdString();
}

std::optional<TFormAnswer> QtPlatform::AskForm(const TFormDialog& form) {
  QDialog dialog(mainWindow_, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                  Qt::MSWindowsFixedSizeDialogHint);
  dialog.setObjectName(QStringLiteral("FormDialog"));
  dialog.setWindowTitle(QString::fromStdString(form.Caption));
  auto* layout = new QFormLayout(&dialog);
  const auto label = [&dialog](const std::string& text) {
    auto* widget = new QLabel(QString::fromStdString(text), &dialog);
    widget->setTextFormat(Qt::PlainText);
    return widget;
  };

  auto* list = new QComboBox(&dialog);
  list->setObjectName(QStringLiteral("FormList"));
  list->setEditable(false);
  for (const std::string& item : form.Items) list->addItem(QString::fromStdString(item));
  const bool valid = form.ItemIndex >= 0 && form.ItemIndex < list->count();
  list->setCurrentIndex(valid ? form.ItemIndex : -1);
  layout->addRow(label(form.ListLabel), list);

  std::vector<QSpinBox*> numbers;
  for (const TFormDialog::TNumber& number : form.Numbers) {
    auto* field = new QSpinBox(&dialog);
    field->setObjectName(QStringLiteral("FormNumber%1").arg(numbers.size() + 1));
    field->setRange(number.Min, std::max(number.Min, number.Max));
    field->setValue(number.Value);
    // Digits only, with the range shown by what the field refuses rather than by a message later.
    field->setGroupSeparatorShown(false);
    layout->addRow(label(number.Label), field);
    numbers.push_back(field);
  }

  std::vector<QCheckBox*> checks;
  const auto shown = [list, &numbers, &checks] {
    TFormAnswer answer;
    answer.ItemIndex = list->currentIndex();
    for (const QSpinBox* field : numbers) answer.Numbers.push_back(field->value());
    for (const QCheckBox* box : checks) answer.Checks.push_back(box->isChecked());
    return answer;
  };
  QLabel* result = nullptr;
  if (form.Result) {
    result = label({});
    result->setObjectName(QStringLiteral("FormResult"));
    layout->addRow(label(form.ResultLabel), result);
    const auto update = [&form, result, &shown] {
      const TFormAnswer now = shown();
      result->setText(QString::fromStdString(form.Result(now.ItemIndex, now.Numbers)));
    };
    update();
    QObject::connect(list, &QComboBox::currentIndexChanged, &dialog, update);
    for (QSpinBox* field : numbers) QObject::connect(field, &QSpinBox::valueChanged, &dialog, update);
  }

  for (const TFormDialog::TCheck& check : form.Checks) {
    auto* box = new QCheckBox(QString::fromStdString(check.Label), &dialog);
    box->setObjectName(QStringLiteral("FormCheck%1").arg(checks.size() + 1));
    box->setChecked(check.Checked);
    layout->addRow(box);
    checks.push_back(box);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addRow(buttons);

  // As wide as its fields need, or wider when its caption needs more; centred on the desktop the
  // main window stands on.
  dialog.adjustSize();
  dialog.setFixedSize(std::max(dialog.width(), captionWidth(dialog)), dialog.height());
  if (const QScreen* desktop = screen()) {
    const QRect area = desktop->geometry();
    dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return shown();
}

std::optional<std::string> QtPlatform::EditText(const TTextDialog& text) {
  QDialog dialog(mainWindow_, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  dialog.setObjectName(QStringLiteral("TextDialog"));
  dialog.setWindowTitle(QString::fromStdString(text.Caption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(QString::fromStdString(text.Label), &dialog);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  layout->addWidget(label);

  auto* editor = new QPlainTextEdit(&dialog);
  editor->setObjectName(QStringLiteral("TextEdit"));
  editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor->setPlainText(QString::fromStdString(text.Text));
  layout->addWidget(editor, 1);

  auto* problems = new QListWidget(&dialog);
  problems->setObjectName(QStringLiteral("TextProblems"));
  problems->setMaximumHeight(QFontMetrics(problems->font()).height() * 6);
  problems->hide();
  layout->addWidget(problems);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  // The text as typed: the document's plain text would turn no-break spaces into blanks.
  const auto typed = [editor] {
    QString raw = editor->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw.toStdString();
  };
  const auto goToLine = [editor](int line) {
    const QTextBlock block = editor->document()->findBlockByNumber(line - 1);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    editor->setTextCursor(cursor);
    editor->setFocus();
  };
  QObject::connect(problems, &QListWidget::itemActivated, &dialog,
                   [goToLine](QListWidgetItem* item) { goToLine(item->data(Qt::UserRole).toInt()); });
  QObject::connect(problems, &QListWidget::itemClicked, &dialog,
                   [goToLine](QListWidgetItem* item) { goToLine(item->data(Qt::UserRole).toInt()); });
  // OK takes the text only when every line of it reads; otherwise the lines that do not are marked
  // and their problems listed, and the dialog stays open.
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    const std::vector<TTextProblem> found = text.Check ? text.Check(typed()) : std::vector<TTextProblem>{};
    if (found.empty()) {
      dialog.accept();
      return;
    }
    problems->clear();
    QList<QTextEdit::ExtraSelection> marks;
    for (const TTextProblem& problem : found) {
      auto* item = new QListWidgetItem(QStringLiteral("Line %1: %2").arg(problem.Line).arg(QString::fromStdString(problem.Message)), problems);
      item->setData(Qt::UserRole, problem.Line);
      const QTextBlock block = editor->document()->findBlockByNumber(problem.Line - 1);
      if (!block.isValid()) continue;
      QTextEdit::ExtraSelection mark;
      mark.cursor = QTextCursor(block);
      mark.format.setBackground(QColor(255, 200, 200));
      mark.format.setProperty(QTextFormat::FullWidthSelection, true);
      marks << mark;
    }
    editor->setExtraSelections(marks);
    problems->show();
    problems->setCurrentRow(0);
    goToLine(found.front().Line);
  });
  // A mended text is no longer marked: the marks would stand on lines that moved.
  QObject::connect(editor, &QPlainTextEdit::textChanged, &dialog, [editor] {
    if (!editor->extraSelections().isEmpty()) editor->setExtraSelections({});
  });

  // Wide enough for lines of some 72 characters and high enough for some 20 rows; centred on the
  // desktop the main window stands on.
  const QFontMetrics fixed(editor->font());
  dialog.resize(std::max({fixed.horizontalAdvance(QString(72, QLatin1Char('M'))), captionWidth(dialog), 400}),
                fixed.height() * 20 + 160);
  if (const QScreen* desktop = screen()) {
    const QRect area = desktop->availableGeometry();
    dialog.resize(std::min(dialog.width(), area.width()), std::min(dialog.height(), area.height()));
    dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return typed();
}

QScreen* QtPlatform::screen() const {
  if (mainWindow_)
    if (QScreen* own = mainWindow_->screen()) return own;
  return QGuiApplication::primaryScreen();
}

void QtPlatform::Invalidate(Control& control) {
  if (host_) host_->invalidateControl(control);
}

void QtPlatform::BeginDrag(Control& control) {
  if (host_) host_->beginDrag(control);
}

std::unique_ptr<Bitmap> QtPlatform::CreateBitmap() { return std::make_unique<QtBitmap>(); }

void QtPlatform::SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                                 const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) {
  WriteDrawingFile(fileName, format, width, height, title, pages, draw);
}

void QtPlatform::PrintDrawing(const TPrintJob& job, int width, int height, const std::string& title, int pages,
                              const std::function<void(Canvas&, int page)>& draw) {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  PreviewAndPrint(*printer_, mainWindow_, job, width, height, title, pages, draw);
}

std::string QtPlatform::SvgDrawing(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw) {
  return SvgDrawingText(width, height, title, draw);
}

namespace {
// The diagram's own type, as the desktop's file types know it: another editor's paste asks for it
// first.
const QString kDiagramType = QStringLiteral("application/x-quorvane-diagram");
const QString kSvgType = QStringLiteral("image/svg+xml");
// A picture of more pixels than this goes on the clipboard as SVG alone: its pixels would take
// hundreds of megabytes, held until the clipboard changes.
constexpr qint64 kMostClipboardPixels = qint64(8192) * 8192;
}  // namespace

void QtPlatform::PutOnClipboard(const std::string& diagramText, int width, int height,
                                const std::function<void(Canvas&)>& draw) {
  auto data = std::make_unique<QMimeData>();
  if (!diagramText.empty()) {
    const QByteArray bytes = QByteArray::fromStdString(diagramText);
    data->setData(kDiagramType, bytes);
    data->setText(QString::fromUtf8(bytes));
  }
  if (width > 0 && height > 0) {
    if (qint64(width) * height <= kMostClipboardPixels) {
      QtBitmap picture;
      picture.SetSize(width, height);
      draw(picture.GetCanvas());
      data->setImageData(picture.image());
    }
    data->setData(kSvgType, QByteArray::fromStdString(SvgDrawingText(width, height, std::string(), draw)));
  }
  QGuiApplication::clipboard()->setMimeData(data.release());
}

std::string QtPlatform::ClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return {};
  if (data->hasFormat(kDiagramType)) return data->data(kDiagramType).toStdString();
  return data->hasText() ? data->text().toStdString() : std::string();
}
