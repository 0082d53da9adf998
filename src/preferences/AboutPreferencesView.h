#pragma once

#include "preferences/PreferencesPage.h"

class QAbstractButton;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

/// The application's icon, name and version, the update check, the product's links, the credits
/// and the card of the maker's sibling product.
class AboutPreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    AboutPreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    /// The icon the sibling product's card shows: the image "Tintrove" (or `imageName`) when it
    /// is compiled in, else the "tray.full.fill" symbol.
    static QString siblingProductIcon(const QString& imageName = QStringLiteral("Tintrove"));

    QLabel* versionLabel() const { return m_version; }
    QPushButton* checkUpdatesButton() const { return m_checkUpdates; }
    QCheckBox* checkAutomaticallyBox() const { return m_checkAutomatically; }
    QAbstractButton* officialSiteLink() const { return m_officialSite; }
    QAbstractButton* privacyPolicyLink() const { return m_privacy; }
    QAbstractButton* feedbackLink() const { return m_feedback; }
    QFrame* exploreCard() const { return m_card; }
    QAbstractButton* learnMoreLink() const { return m_learnMore; }

private:
    QAbstractButton* link(const QString& text, const QUrl& url);

    QLabel* m_version;
    QPushButton* m_checkUpdates;
    QCheckBox* m_checkAutomatically;
    QAbstractButton* m_officialSite;
    QAbstractButton* m_privacy;
    QAbstractButton* m_feedback;
    QFrame* m_card;
    QAbstractButton* m_learnMore;
};
