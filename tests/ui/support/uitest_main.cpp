// Runs the Qt Quick tests of one folder against the real UI documents, with
// the backend replaced by a recording stand-in that mirrors its slots.
#include "accessibilitycheck.h"
#include "hid_thread.h"
#include "myqquickview.h"
#include "ui_controler.h"
#include "uisetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QJSValue>
#include <QMetaMethod>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

namespace {

// { slotName: [{ params, returns }, ...] } for every public slot of a class.
QJSValue slotTable(QQmlEngine* engine, const QMetaObject& meta)
{
    QJSValue table = engine->newObject();
    for (int i = QObject::staticMetaObject.methodCount(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Public)
            continue;
        const QString name = QString::fromLatin1(method.name());
        QJSValue overloads = table.property(name);
        if (!overloads.isArray())
            overloads = engine->newArray();
        QJSValue overload = engine->newObject();
        overload.setProperty(QStringLiteral("params"), method.parameterCount());
        overload.setProperty(QStringLiteral("returns"), QString::fromLatin1(method.typeName()));
        overloads.setProperty(overloads.property(QStringLiteral("length")).toUInt(), overload);
        table.setProperty(name, overloads);
    }
    return table;
}

// { language: { section: [texts] } } from the delivered language files.
QJSValue deliveredLanguages(QQmlEngine* engine)
{
    QJSValue languages = engine->newObject();
    const QDir folder(QStringLiteral(KESTREL_DATA_DIR "/i18n"));
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.ini")}, QDir::Files)) {
        QSettings ini(file.filePath(), QSettings::IniFormat);
        QJSValue sections = engine->newObject();
        for (const QString& section : ini.childGroups()) {
            ini.beginGroup(section);
            const int total = ini.value(QStringLiteral("total")).toInt();
            QJSValue texts = engine->newArray(total);
            for (int i = 0; i < total; ++i)
                texts.setProperty(i, ini.value(QString::number(i)).toString());
            ini.endGroup();
            sections.setProperty(section, texts);
        }
        languages.setProperty(file.completeBaseName(), sections);
    }
    return languages;
}

} // namespace

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable() { QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION)); }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        prepareUiEngine(engine);
        QFile script(QStringLiteral(KESTREL_UI_SUPPORT_DIR "/recorder.js"));
        if (!script.open(QIODevice::ReadOnly))
            qFatal("cannot read the recorder script");
        QJSValue make = engine->evaluate(QString::fromUtf8(script.readAll()), script.fileName());
        if (make.isError())
            qFatal("recorder script: %s", qPrintable(make.toString()));
        QJSValue interfaces = engine->newObject();
        interfaces.setProperty(QStringLiteral("ui_View"), slotTable(engine, myQQuickView::staticMetaObject));
        interfaces.setProperty(QStringLiteral("hid"), slotTable(engine, Hid_Thread::staticMetaObject));
        interfaces.setProperty(QStringLiteral("ui_Ctl"), slotTable(engine, Ui_Controler::staticMetaObject));
        QJSValue recorder = make.call({interfaces});
        if (recorder.isError())
            qFatal("recorder: %s", qPrintable(recorder.toString()));
        recorder.setProperty(QStringLiteral("languages"), deliveredLanguages(engine));
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("recorder"), QVariant::fromValue(recorder));
        context->setContextProperty(QStringLiteral("accessibility"), new AccessibilityCheck(engine));
        for (const QString& name : {QStringLiteral("ui_View"), QStringLiteral("hid"), QStringLiteral("ui_Ctl")})
            context->setContextProperty(name, QVariant::fromValue(recorder.property(QStringLiteral("stubs")).property(name)));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(kestrel_ui, Setup)

#include "uitest_main.moc"
