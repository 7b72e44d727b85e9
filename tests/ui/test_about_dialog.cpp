// The about box: one non-modal instance, its texts and its picture.
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <memory>

#include "reports/results.h"
#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

using namespace kevo;

class TestAboutDialog : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::RecordingSeams> seams_;
    std::unique_ptr<TOstrel> window_;

  private slots:
    void init() {
        seams_ = std::make_unique<testing::RecordingSeams>();
        window_ = std::make_unique<TOstrel>(seams_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() {
        window_.reset();
        seams_.reset();
    }

    void opensOnceAndDoesNotBlock() {
        auto* about = window_->findChild<QPushButton*>(QStringLiteral("AboutButton"));
        QVERIFY(about != nullptr);
        about->click();
        about->click();
        const auto boxes = window_->findChildren<TAboutDialog*>();
        QCOMPARE(boxes.size(), 1);
        TAboutDialog* box = boxes.constFirst();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        // The main window still takes clicks while the box is up.
        QVERIFY(window_->findChild<QPushButton*>(QStringLiteral("OpenFileButton"))->isEnabled());

        auto* ok = box->findChild<QPushButton*>(QStringLiteral("OkButton"));
        QVERIFY(ok != nullptr);
        QCOMPARE(ok->text(), QStringLiteral("Ok"));
        ok->click();
        QVERIFY(!box->isVisible());
        about->click();
        QVERIFY(box->isVisible());
        QCOMPARE(window_->findChildren<TAboutDialog*>().size(), 1);
    }

    void sizeTitleAndTexts() {
        TAboutDialog* box = window_->aboutDialog();
        QCOMPARE(box->windowTitle(), QStringLiteral("About"));
        QCOMPARE(box->minimumSize(), QSize(448, 534));
        QCOMPARE(box->maximumSize(), QSize(448, 534));
        QVERIFY(!(box->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(box->windowFlags() & Qt::WindowMinimizeButtonHint));
        QStringList texts;
        QList<int> sizes;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            texts << label->text();
            sizes << label->font().pixelSize();
        }
        const QStringList expected{QStringLiteral("Program for calculating"),
                                   QStringLiteral("charge distributions and bond valence sums"),
                                   QStringLiteral("in crystal structures"),
                                   QStringLiteral("version 1.8"),
                                   QString::fromUtf8(AuthorLine.data()),
                                   QString::fromUtf8(AffiliationLine.data()),
                                   QStringLiteral("July 2022")};
        QCOMPARE(texts, expected);
        QCOMPARE(sizes, (QList<int>{16, 16, 16, 13, 13, 13, 13}));
    }

    void pictureIsDrawn() {
        auto* picture = window_->aboutDialog()->findChild<PolyhedronPicture*>();
        QVERIFY(picture != nullptr);
        QCOMPARE(picture->size(), QSize(320, 245));
        const QImage image = picture->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 100, qPrintable(QString::number(colours.size())));
        QVERIFY(!ProgramIcon().isNull());
        QVERIFY(!window_->windowIcon().isNull());
    }
};

QTEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"
