#include "paste/PasteManager.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <QUuid>

#include "common/Console.h"
#include "core/Settings.h"
#include "platform/ClipboardService.h"
#include "platform/FrontmostApplicationService.h"
#include "platform/KeyEventPoster.h"

using namespace Qt::StringLiterals;

namespace {

// File managers read text/uri-list; GNOME's and its relatives' also want to know it is a copy.
void addFileURLs(ClipboardContent& content, const QList<QUrl>& urls)
{
    QByteArray uriList;
    QByteArray gnomeFiles = "copy";
    for (const QUrl& url : urls) {
        const QByteArray encoded = url.toEncoded();
        uriList += encoded + "\r\n";
        gnomeFiles += '\n' + encoded;
    }
    content.formats.append({u"text/uri-list"_s, uriList});
    content.formats.append({u"x-special/gnome-copied-files"_s, gnomeFiles});
}

QString processText(const FrontmostApplication& app)
{
    return app.processIdentifier ? QString::number(*app.processIdentifier) : u"desconhecido"_s;
}

} // namespace

PasteManager& PasteManager::shared()
{
    static PasteManager instance;
    return instance;
}

void PasteManager::installServices(const PlatformServices& services)
{
    shared().m_services = services;
}

bool PasteManager::useRichTextPaste() const
{
    return Settings::shared().boolValue(QString(SettingsKey::useRichTextPaste));
}

QString PasteManager::contentTypeName(ClipboardItemKind kind)
{
    switch (kind) {
    case ClipboardItemKind::Text:
        return u"text"_s;
    case ClipboardItemKind::File:
        return u"file"_s;
    case ClipboardItemKind::FileGroup:
        return u"group"_s;
    case ClipboardItemKind::Image:
        return u"image"_s;
    }
    return {};
}

const QSet<QString>& PasteManager::terminalWindowClasses()
{
    // X11 WM_CLASS classes and Wayland app ids, compared in lower case.
    static const QSet<QString> classes{u"gnome-terminal-server"_s,
                                       u"gnome-terminal"_s,
                                       u"org.gnome.terminal"_s,
                                       u"org.gnome.console"_s,
                                       u"konsole"_s,
                                       u"org.kde.konsole"_s,
                                       u"xfce4-terminal"_s,
                                       u"tilix"_s,
                                       u"alacritty"_s,
                                       u"kitty"_s,
                                       u"terminator"_s,
                                       u"xterm"_s,
                                       u"urxvt"_s,
                                       u"org.wezfurlong.wezterm"_s,
                                       u"foot"_s,
                                       u"com.mitchellh.ghostty"_s};
    return classes;
}

bool PasteManager::isTerminal(const std::optional<QString>& identifier)
{
    return identifier && terminalWindowClasses().contains(identifier->toLower());
}

void PasteManager::copyToPasteboard(const ClipboardItem& item, bool plainText)
{
    m_lastCopiedContentType = contentTypeName(item.type().kind());
    m_lastContent = contentFor(item, plainText);
    if (m_services.clipboard)
        m_services.clipboard->write(m_lastContent);
    ovelin::printLine(u"📋 Conteúdo copiado para a área de transferência"_s);
}

ClipboardContent PasteManager::contentFor(const ClipboardItem& item, bool plainText)
{
    ClipboardContent content;
    const ClipboardItemType& type = item.type();
    switch (type.kind()) {
    case ClipboardItemKind::Text: {
        const bool rich = !plainText && useRichTextPaste();
        if (rich && item.richTextRTF())
            content.formats.append({u"text/rtf"_s, *item.richTextRTF()});
        else if (rich && item.richTextHTML())
            content.formats.append({u"text/html"_s, *item.richTextHTML()});
        content.formats.append({u"text/plain"_s, type.text().toUtf8()});
        break;
    }
    case ClipboardItemKind::File:
        addFileURLs(content, {type.fileURL()});
        break;
    case ClipboardItemKind::FileGroup:
        addFileURLs(content, type.fileURLs());
        break;
    case ClipboardItemKind::Image:
        if (const auto url = saveTemporaryImage(type.imageData())) {
            m_temporaryImages.append({url->toLocalFile(), item.id(), QDateTime::currentDateTimeUtc()});
            addFileURLs(content, {*url});
        } else {
            const QImage image = QImage::fromData(type.imageData());
            if (!image.isNull())
                content.image = image;
        }
        break;
    }
    return content;
}

QString PasteManager::temporaryImageFolder(QString* error)
{
    // The shared temporary folder is readable by every user and outlives "Clear history"; the
    // runtime folder is the user's alone and is emptied at logout.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString folder;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(runtime)))
        folder = QFile::decodeName(runtime) + u"/Ovelin"_s;
    else if (!QDir::tempPath().isEmpty())
        folder = QDir::tempPath() + u"/Ovelin-"_s + QString::number(::getuid());
    else {
        *error = u"a pasta temporária não existe"_s;
        return {};
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *error = folder + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    // In a shared folder someone else may have put a folder or a link there first.
    struct stat info
    {
    };
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        *error = folder + u": não é uma pasta privada deste usuário"_s;
        return {};
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        *error = folder + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    return folder;
}

std::optional<QUrl> PasteManager::saveTemporaryImage(const QByteArray& bytes)
{
    static const QString failure = u"⚠️ Erro ao salvar imagem temporária: "_s;
    QString error;
    const QString folder = temporaryImageFolder(&error);
    if (folder.isEmpty()) {
        ovelin::printLine(failure + error);
        return std::nullopt;
    }
    const QString name =
        u"Ovelin_Image_"_s + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + u".png"_s;
    QFile file(QDir(folder).filePath(name));
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                   QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        error = file.errorString();
        if (file.isOpen()) {
            file.close();
            file.remove();
        }
        ovelin::printLine(failure + file.fileName() + u": "_s + error);
        return std::nullopt;
    }
    file.close();
    return QUrl::fromLocalFile(file.fileName());
}

void PasteManager::releaseTemporaryImages(const QList<ClipboardItem>& history, const QDateTime& now)
{
    if (m_temporaryImages.isEmpty())
        return;
    m_itemsInHistory.clear();
    for (const ClipboardItem& item : history)
        m_itemsInHistory.insert(item.id());
    releaseExpiredImages(now);
}

void PasteManager::releaseExpiredImages(const QDateTime& now)
{
    const qsizetype newest = m_temporaryImages.size() - 1;
    for (qsizetype index = newest; index >= 0; --index) {
        const TemporaryImage& image = m_temporaryImages.at(index);
        if (m_itemsInHistory.contains(image.itemID))
            continue;
        const qint64 age = image.written.secsTo(now);
        if (index == newest && age < newestImageGraceSeconds) {
            // Looked at again once its time is up, even if the history does not change by then.
            if (!m_expiryScheduled) {
                m_expiryScheduled = true;
                QTimer::singleShot(std::chrono::seconds(newestImageGraceSeconds - age + 1), this, [this] {
                    m_expiryScheduled = false;
                    releaseExpiredImages(QDateTime::currentDateTimeUtc());
                });
            }
            continue;
        }
        QFile::remove(image.path);
        m_temporaryImages.removeAt(index);
    }
}

void PasteManager::removeTemporaryImages()
{
    for (const TemporaryImage& image : std::as_const(m_temporaryImages))
        QFile::remove(image.path);
    m_temporaryImages.clear();
}

void PasteManager::performPaste(std::function<void()> done)
{
    if (!done)
        done = [] {};
    if (!m_services.frontmostApplication) {
        pasteIntoFrontmost(done);
        return;
    }
    // Where the window system hands the focus back asynchronously, the keys wait for it.
    m_services.frontmostApplication->whenFocusSettled(focusSettleTimeout, this,
                                                      [this, done] { pasteIntoFrontmost(done); });
}

void PasteManager::pasteIntoFrontmost(const std::function<void()>& done)
{
    const std::optional<FrontmostApplication> app =
        m_services.frontmostApplication ? m_services.frontmostApplication->frontmostApplication()
                                        : std::nullopt;
    if (!app) {
        ovelin::printLine(u"🚫 Não foi possível identificar o app em foco."_s);
        done();
        return;
    }
    ovelin::printLine(u"📦 App em foco: "_s + app->identifier.value_or(u"desconhecido"_s));
    KeyEventPoster* poster = m_services.keyEventPoster;
    const bool terminal = isTerminal(app->identifier);
    const PasteKeystroke keystroke =
        !terminal ? PasteKeystroke::ControlV
                  : (poster ? poster->terminalPasteKeystroke() : PasteKeystroke::ShiftInsert);
    const QString mechanism = poster ? poster->mechanismName() : u"XTEST"_s;
    if (terminal)
        ovelin::printLine(u"↩️ Usando fallback ("_s + mechanism + u' ' + pasteKeystrokeName(keystroke) +
                          u')');
    else
        ovelin::printLine(u"🚀 Usando paste via "_s + mechanism);
    // xterm, urxvt and st paste PRIMARY on Shift+Insert, VTE terminals the clipboard: both hold it.
    if (keystroke == PasteKeystroke::ShiftInsert && m_services.clipboard)
        m_services.clipboard->writePrimarySelection(m_lastContent);

    const std::chrono::milliseconds delay = poster ? poster->prepareToPost() : std::chrono::milliseconds(0);
    auto post = [this, app = *app, keystroke, terminal, mechanism, done] {
        QString error = u"nenhum serviço de teclado instalado"_s;
        KeyEventPoster* poster = m_services.keyEventPoster;
        if (!poster || !poster->postPasteKeystroke(keystroke, &error)) {
            // Reported as what it is: no keystroke reached the application.
            ovelin::printLine(u"❌ "_s + mechanism + u" falhou: "_s + error);
        } else if (terminal) {
            ovelin::printLine(u"✅ Paste via "_s + mechanism + u' ' + pasteKeystrokeName(keystroke) +
                              u" executado no app: "_s + app.name.value_or(u"AppDesconhecido"_s));
        } else {
            ovelin::printLine(u"✅ Paste via "_s + mechanism + u" para PID: "_s + processText(app));
        }
        done();
    };
    if (delay.count() <= 0)
        post();
    else
        QTimer::singleShot(delay, this, post);
}
