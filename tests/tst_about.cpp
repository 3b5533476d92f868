// The about box: its captions, the locked address and the browser launch.
#include "testsupport.h"
#include "platform/Dialogs.h"
#include "platform/ShellLaunch.h"
#include "platform/XPControls.h"
#include "shell/frmAbout.h"
#include "shell/frmMain.h"
#include <QtTest>

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void opensTheAddressShownAndCloses()
    {
        TestProgram prog;
        QString opened;
        ShellLaunch::setFindHook([](const QString &) { return QStringLiteral("/usr/bin/browser"); });
        ShellLaunch::setExecuteHook([&](const QString &, const QString &a) { opened = a; return true; });
        bool seen = false;
        DialogScript::driveModal("frmAbout", [&](Form *f) {
            auto *about = static_cast<frmAbout *>(f);
            seen = true;
            QCOMPARE(about->Caption(), QStringLiteral("Informazioni su Norvik"));
            QCOMPARE(about->cmdOk->Caption(), QStringLiteral("&Ok"));
            QVERIFY(about->txtWebPage->Locked());
            QTest::keyClicks(about->txtWebPage, "altro");
            about->cmdGoToWebPage->click();
            QCOMPARE(opened, about->txtWebPage->Text());
            QVERIFY(opened.startsWith("https://"));
            about->cmdOK_Click();
            QVERIFY(!about->isLoaded());
        });
        FormInstance<frmMain>::get()->cmdInfo_Click();
        QVERIFY(seen);
        QVERIFY(!FormInstance<frmAbout>::exists());
        QVERIFY(DialogScript::boxes().isEmpty());
        ShellLaunch::setFindHook({});
        ShellLaunch::setExecuteHook({});
    }

    void noBrowserIsTold()
    {
        TestProgram prog;
        ShellLaunch::setFindHook([](const QString &) { return QString(); });
        frmAbout *about = FormInstance<frmAbout>::get();
        about->Load();
        about->cmdGoToWebPage_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QCOMPARE(DialogScript::boxes().first().prompt, QStringLiteral("Could not find associated Browser"));
        QCOMPARE(DialogScript::boxes().first().buttons, 48);
        about->Unload();
        ShellLaunch::setFindHook({});
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
