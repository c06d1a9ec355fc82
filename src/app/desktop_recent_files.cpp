#include "desktop_recent_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <exception>
#include <string_view>
#include <utility>

#include "file_access.h"

namespace {
const QString kBookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString kApplication = QStringLiteral("quorvane");
// The diagram's file type, as the editor's MIME package names it.
const QString kMimeType = QStringLiteral("application/x-quorvane-diagram");

// An element as the reader has it, with some attributes' values replaced (count: the number read
// plus one).
void writeStart(const QXmlStreamReader& reader, QXmlStreamWriter& writer, const QString& time, bool counted) {
  writer.writeStartElement(reader.namespaceUri().toString(), reader.name().toString());
  for (const QXmlStreamNamespaceDeclaration& declaration : reader.namespaceDeclarations())
    writer.writeNamespace(declaration.namespaceUri().toString(), declaration.prefix().toString());
  for (const QXmlStreamAttribute& attribute : reader.attributes()) {
    const QStringView name = attribute.qualifiedName();
    QString value = attribute.value().toString();
    if (name == u"modified" || name == u"visited") value = time;
    else if (counted && name == u"count") value = QString::number(value.toLongLong() + 1);
    writer.writeAttribute(attribute.qualifiedName().toString(), value);
  }
}

void writeApplication(QXmlStreamWriter& writer, const QString& time) {
  writer.writeEmptyElement(kBookmarkNs, QStringLiteral("application"));
  writer.writeAttribute(QStringLiteral("name"), kApplication);
  writer.writeAttribute(QStringLiteral("exec"), QStringLiteral("'quorvane %u'"));
  writer.writeAttribute(QStringLiteral("modified"), time);
  writer.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
}

void writeInfo(QXmlStreamWriter& writer, const QString& time) {
  writer.writeStartElement(QStringLiteral("info"));
  writer.writeStartElement(QStringLiteral("metadata"));
  writer.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
  writer.writeEmptyElement(kMimeNs, QStringLiteral("mime-type"));
  writer.writeAttribute(QStringLiteral("type"), kMimeType);
  writer.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
  writeApplication(writer, time);
  writer.writeEndElement();
  writer.writeEndElement();
  writer.writeEndElement();
}
}  // namespace

QString DesktopRecentFiles::defaultFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/recently-used.xbel");
}

DesktopRecentFiles::DesktopRecentFiles(QString xbelFile) : xbelFile_(std::move(xbelFile)) {}

bool DesktopRecentFiles::tell(const QString& fileName, const QDateTime& now) const {
  QFile file(xbelFile_);
  if (!file.exists() || !file.open(QIODevice::ReadOnly)) return false;
  const QByteArray before = file.readAll();
  file.close();
  const QString href = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded);
  const QString time = now.toUTC().toString(Qt::ISODateWithMs);

  // Copied token by token, so that whatever other programs keep in it stays; our bookmark is
  // brought up to date where it stands, or added last.
  QXmlStreamReader reader(before);
  QByteArray after;
  QXmlStreamWriter writer(&after);
  int depth = 0;
  bool inOurs = false, found = false, hasInfo = false, hasApplications = false, hasOwnEntry = false, rooted = false;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (reader.hasError()) return false;
    if (token == QXmlStreamReader::StartElement) {
      ++depth;
      if (depth == 1) rooted = reader.name() == u"xbel";
      const bool bookmarkNs = reader.namespaceUri() == kBookmarkNs;
      if (rooted && depth == 2 && reader.name() == u"bookmark" && reader.namespaceUri().isEmpty() &&
          reader.attributes().value(QStringLiteral("href")) == href && !found) {
        inOurs = found = true;
        writeStart(reader, writer, time, false);
        continue;
      }
      if (inOurs && depth == 3 && reader.name() == u"info") hasInfo = true;
      if (inOurs && bookmarkNs && reader.name() == u"applications") hasApplications = true;
      if (inOurs && bookmarkNs && reader.name() == u"application" &&
          reader.attributes().value(QStringLiteral("name")) == kApplication && !hasOwnEntry) {
        hasOwnEntry = true;
        writeStart(reader, writer, time, true);
        continue;
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (inOurs && reader.namespaceUri() == kBookmarkNs && reader.name() == u"applications" && !hasOwnEntry) {
        writeApplication(writer, time);
        hasOwnEntry = true;
      }
      if (inOurs && depth == 2) {
        if (!hasInfo && !hasApplications) writeInfo(writer, time);
        inOurs = false;
      }
      if (rooted && depth == 1 && !found) {
        writer.writeStartElement(QStringLiteral("bookmark"));
        writer.writeAttribute(QStringLiteral("href"), href);
        writer.writeAttribute(QStringLiteral("added"), time);
        writer.writeAttribute(QStringLiteral("modified"), time);
        writer.writeAttribute(QStringLiteral("visited"), time);
        writeInfo(writer, time);
        writer.writeEndElement();
        found = true;
      }
      --depth;
    }
    writer.writeCurrentToken(reader);
  }
  if (reader.hasError() || !rooted || !found) return false;
  try {
    WriteFileAtomically(xbelFile_.toStdString(), std::string_view(after.constData(), static_cast<size_t>(after.size())));
  } catch (const std::exception&) {
    return false;
  }
  return true;
}
