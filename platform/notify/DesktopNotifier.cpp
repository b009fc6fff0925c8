#include "platform/notify/DesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <cstdio>

namespace kelvo {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

// The "image-data" hint: the picture itself, so that no icon file has to be
// installed where the server would look for one.
struct ImageData {
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ImageData& image) {
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.hasAlpha
             << image.bitsPerSample << image.channels << image.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ImageData& image) {
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha >>
        image.bitsPerSample >> image.channels >> image.data;
    argument.endStructure();
    return argument;
}

} // namespace
} // namespace kelvo

Q_DECLARE_METATYPE(kelvo::ImageData)

namespace kelvo {
namespace {

ImageData ImageDataOf(const QImage& icon) {
    // Rows of RGBA bytes, as the notification rules define the hint.
    const QImage rgba = icon.convertToFormat(QImage::Format_RGBA8888);
    ImageData image;
    image.width = rgba.width();
    image.height = rgba.height();
    image.rowStride = static_cast<int>(rgba.bytesPerLine());
    image.data = QByteArray(reinterpret_cast<const char*>(rgba.constBits()),
                            static_cast<qsizetype>(rgba.sizeInBytes()));
    return image;
}

void WriteToStandardError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection connection, std::string appName, QImage icon,
                                 Report report)
    : connection(std::move(connection)), appName(QString::fromStdString(appName)),
      icon(std::move(icon)), report(report ? std::move(report) : Report(WriteToStandardError)),
      calls(std::make_unique<QObject>()) {
    qDBusRegisterMetaType<ImageData>();
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::Show(const Notice& notice) {
    if (!connection.isConnected()) {
        const QString why = connection.lastError().message();
        Fail("desktop notifications are not shown: there is no session bus" +
             (why.isEmpty() ? std::string() : " (" + why.toStdString() + ")"));
        return;
    }
    if (inFlight) {
        waiting = notice;
        return;
    }
    Send(notice);
}

void DesktopNotifier::Send(const Notice& notice) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, "Notify");
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(notice.urgency)));
    if (!icon.isNull()) {
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(ImageDataOf(icon)));
    }
    call << appName << lastId << QString() << QString::fromStdString(notice.summary)
         << QString::fromStdString(notice.body) << QStringList() << hints << -1;
    inFlight = true;
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), calls.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, calls.get(),
                     [this](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<uint> reply = *finished;
                         finished->deleteLater();
                         Finished(!reply.isError(), reply.isError() ? 0 : reply.value(),
                                  reply.error().name().toStdString() + ": " +
                                      reply.error().message().toStdString());
                     });
}

void DesktopNotifier::Finished(bool ok, unsigned id, const std::string& error) {
    inFlight = false;
    if (ok) {
        lastId = id;
        toldFailure = false;
    } else {
        Fail("a desktop notification could not be shown: " + error);
    }
    if (waiting) {
        const Notice next = *waiting;
        waiting.reset();
        Send(next);
    }
}

void DesktopNotifier::Fail(const std::string& line) {
    if (!toldFailure) {
        toldFailure = true;
        report(line);
    }
}

} // namespace kelvo
