#pragma once
#include <QDialog>
#include <string>

#include "extras/HiddenGesture.h"

class QFrame;
class QLabel;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;

namespace ui {
class ImageLabel;
class TLinkLabel;
}  // namespace ui

namespace extras {

class TThankForm;

// The texts the About window shows; the main window hands them over when it is first shown.
struct AboutTexts {
    std::string company;
    std::string productName;
    std::string version;
    std::string edition;
    std::string yearLine;
    std::string companyFullName;
    std::string homePage;
    std::string supportMail;
};

// The About window: the product picture, names, version, the web and mail links, and the way to the
// acknowledgements.
class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return FaceIco; }
    explicit TAboutForm(QWidget* parent = nullptr);

    // The window "Thank" fills and shows; created after this one, so it is handed over afterwards.
    void SetThankForm(TThankForm* form) { thankForm_ = form; }
    TThankForm* ThankForm() const { return thankForm_; }

    void SetTexts(const AboutTexts& texts);
    // "Thank" is offered only when the acknowledgements file is installed.
    void ShowThankButtonIfFileExists(const std::string& programDirectory);

    void URLClick();
    void EMAILClick();
    void ThankButtonClick();

    const HiddenGesture& Gesture() const { return gesture_; }

  private:
    void CompanyTopClick();
    void Image1MouseDown(QMouseEvent* event);
    void Image1MouseUp(QMouseEvent* event);
    void Button1Click();
    void PlaceProductName();

    TThankForm* thankForm_ = nullptr;
    HiddenGesture gesture_;

    ui::ImageLabel* Image1;
    QFrame* Bevel1;
    ui::TLinkLabel* Company;
    QLabel* ProductName1;
    QLabel* ProductName3;
    QLabel* ProductName2;
    QLabel* VersionSM;
    QLabel* Version;
    QLabel* CopyrightYeah;
    QLabel* Copyright;
    ui::TLinkLabel* URL;
    QLabel* Label1;
    ui::TLinkLabel* EMAIL;
    QFrame* Bevel2;
    QLabel* FaceIco;
    QPushButton* ThankButton;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;
};

}  // namespace extras
