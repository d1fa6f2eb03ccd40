#include "ui/Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>

#include "ui/BusyScope.h"

namespace qm {
namespace {

constexpr char kCaptionProperty[] = "qmCaption";
constexpr char kToggleProperty[] = "qmToggleAsClick";

// "&Save" shows as "Save" and "Print&&Page" as "Print&Page".
QString WithoutMnemonics(const QString& text) {
  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

class CaptionedValue : public QAccessibleWidget {
 public:
  explicit CaptionedValue(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    const auto* label = static_cast<const QLabel*>(widget());
    if (t == QAccessible::Name && label->accessibleName().isEmpty()) {
      const auto* caption =
          qobject_cast<const QLabel*>(label->property(kCaptionProperty).value<QObject*>());
      const QString said = caption ? WithoutMnemonics(caption->text()).trimmed() : QString();
      return said.isEmpty() ? label->text() : said + u' ' + label->text();
    }
    if (t == QAccessible::Value) return label->text();
    return QAccessibleWidget::text(t);
  }
};

class ToggleAsClick : public QAccessibleWidget {
 public:
  explicit ToggleAsClick(QAbstractButton* button)
      : QAccessibleWidget(button, qobject_cast<QRadioButton*>(button) ? QAccessible::RadioButton
                                                                      : QAccessible::CheckBox) {}

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    const auto* button = static_cast<const QAbstractButton*>(widget());
    state.checkable = true;
    state.checked = button->isChecked();
    if (const auto* box = qobject_cast<const QCheckBox*>(button))
      state.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
    state.pressed = button->isDown();
    return state;
  }

  QString text(QAccessible::Text t) const override {
    const auto* button = static_cast<const QAbstractButton*>(widget());
    if (t == QAccessible::Name && button->accessibleName().isEmpty())
      return WithoutMnemonics(button->text());
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override {
    return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    auto* button = static_cast<QAbstractButton*>(widget());
    // Dropped, like a click, while the window talks to the printer.
    if (!button->isEnabled() || BusyScope::DropsInputTo(button)) return;
    // A click, not a bare state change: the window's click handlers run.
    if (action == pressAction() || action == toggleAction()) {
      button->click();
      return;
    }
    QAccessibleWidget::doAction(action);
  }
};

// The toolkit makes its own interface for a widget as soon as anything asks
// (setting a label's text does); the one registered here takes its place.
void Replace(QObject* object, QAccessibleInterface* ours) {
  if (QAccessibleInterface* theirs = QAccessible::queryAccessibleInterface(object))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(theirs));
  QAccessible::registerAccessibleInterface(ours);
}

// Gives every check box and radio button its interface when it is first
// shown (polished), wherever it was made.
class TogglePolisher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Polish) return false;
    if (!qobject_cast<QCheckBox*>(watched) && !qobject_cast<QRadioButton*>(watched)) return false;
    if (watched->property(kToggleProperty).isValid()) return false;
    watched->setProperty(kToggleProperty, true);
    Replace(watched, new ToggleAsClick(static_cast<QAbstractButton*>(watched)));
    return false;
  }
};

}  // namespace

void InstallAccessibility() {
  // Owned by the application object, so gone with it.
  static QPointer<TogglePolisher> polisher;
  if (polisher || !qApp) return;
  polisher = new TogglePolisher;
  polisher->setParent(qApp);
  qApp->installEventFilter(polisher);
}

void ReadWithCaption(QLabel* caption, QLabel* value) {
  value->setProperty(kCaptionProperty, QVariant::fromValue<QObject*>(caption));
  Replace(value, new CaptionedValue(value));
}

}  // namespace qm
