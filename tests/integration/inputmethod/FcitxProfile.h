#pragma once

// Fcitx 5 as the input-method tests run it: English and German, left Shift switching.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

namespace zorbel::integration {

// Writes the profile and the switch key under configHome/fcitx5.
inline bool writeFcitxProfile(const QString& configHome)
{
    const QString folder = configHome + QStringLiteral("/fcitx5");
    QFile profile(folder + QStringLiteral("/profile"));
    QFile config(folder + QStringLiteral("/config"));
    return QDir().mkpath(folder) && profile.open(QIODevice::WriteOnly) &&
           profile.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=keyboard-de\n\n"
                         "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n[Groups/0/Items/1]\nName=keyboard-de\nLayout=\n\n"
                         "[GroupOrder]\n0=Default\n") > 0 &&
           config.open(QIODevice::WriteOnly) && config.write("[Hotkey/TriggerKeys]\n0=Shift_L\n") > 0;
}

// Whether Fcitx announces its XIM server on the root window. An editor started before that
// can wait on the server for good.
inline bool fcitxXimAnnounced()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("XIM_SERVERS")});
    return xprop.waitForFinished(5000) && xprop.readAllStandardOutput().contains("@server=fcitx");
}

// The input method Fcitx itself names: none while no input context has its focus, so keys
// would not reach it yet.
inline QString fcitxFocusedInputMethod()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
                                       QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("CurrentInputMethod")),
        QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().first().toString()
                                                                                       : QString();
}

}  // namespace zorbel::integration
