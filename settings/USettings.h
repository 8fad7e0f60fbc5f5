// The settings window: the language of the program and the serial port that reaches the controller.
// Created once at start-up, where its creation also finishes the start-up; shown modally afterwards.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class TFMain;
class TFAbout;

class TFSettings : public QDialog
{
    Q_OBJECT
public:
    TFSettings(TFMain* main, TFAbout* about, QWidget* parent = nullptr);

    // Builds the lists, then finishes the program's start-up.
    void FormCreate();
    void ApplyTexts();
    void Button1Click();
    void Button2Click();
    void CBLanguageChange() {}

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* CBLanguage = nullptr;
    QComboBox* CBport = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QStringList LanguageFiles; // item i of CBLanguage is file i

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SwitchLanguage(int index);

    TFMain* m_main;
    TFAbout* m_about;
    bool m_closing = false;
};
