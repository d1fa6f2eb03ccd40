#include "ui/AssistiveInput.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleEditableTextInterface>
#include <QAccessibleInterface>
#include <QAccessibleValueInterface>
#include <QWidget>

#include "ui/BusyScope.h"

namespace qm {
namespace {

// The toolkit's interface for a widget, wrapped: reading passes straight
// through, and every way of acting on the widget asks BusyScope first.
// Assistive technology reaches widgets only through these interfaces (the
// platform bridge calls them), so a dropped call here is input dropped.
class GuardedInterface final : public QAccessibleInterface,
                               public QAccessibleActionInterface,
                               public QAccessibleValueInterface,
                               public QAccessibleEditableTextInterface {
 public:
  explicit GuardedInterface(QAccessibleInterface* inner)
      : inner_(inner), innerId_(QAccessible::uniqueId(inner)) {}

  ~GuardedInterface() override {
    // The toolkit's interface was registered under its own id when it was
    // made; it goes with the wrapper, unless the registry let it go first.
    if (QAccessible::accessibleInterface(innerId_) == inner_)
      QAccessible::deleteAccessibleInterface(innerId_);
  }

  // Reading.
  bool isValid() const override { return inner_->isValid(); }
  QObject* object() const override { return inner_->object(); }
  QWindow* window() const override { return inner_->window(); }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation match) const override {
    return inner_->relations(match);
  }
  QAccessibleInterface* focusChild() const override { return inner_->focusChild(); }
  QAccessibleInterface* childAt(int x, int y) const override { return inner_->childAt(x, y); }
  QAccessibleInterface* parent() const override { return inner_->parent(); }
  QAccessibleInterface* child(int index) const override { return inner_->child(index); }
  int childCount() const override { return inner_->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return inner_->indexOfChild(child);
  }
  QString text(QAccessible::Text t) const override { return inner_->text(t); }
  QRect rect() const override { return inner_->rect(); }
  QAccessible::Role role() const override { return inner_->role(); }
  QAccessible::State state() const override { return inner_->state(); }
  QColor foregroundColor() const override { return inner_->foregroundColor(); }
  QColor backgroundColor() const override { return inner_->backgroundColor(); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    void* own = inner_->interface_cast(type);
    if (!own) return nullptr;
    switch (type) {
      case QAccessible::ActionInterface:
        return static_cast<QAccessibleActionInterface*>(this);
      case QAccessible::ValueInterface:
        return static_cast<QAccessibleValueInterface*>(this);
      case QAccessible::EditableTextInterface:
        return static_cast<QAccessibleEditableTextInterface*>(this);
      default:
        return own;
    }
  }

  // Acting.
  void setText(QAccessible::Text t, const QString& text) override {
    if (!Dropped()) inner_->setText(t, text);
  }

  QStringList actionNames() const override { return Actions()->actionNames(); }
  QString localizedActionName(const QString& name) const override {
    return Actions()->localizedActionName(name);
  }
  QString localizedActionDescription(const QString& name) const override {
    return Actions()->localizedActionDescription(name);
  }
  void doAction(const QString& name) override {
    if (!Dropped()) Actions()->doAction(name);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    return Actions()->keyBindingsForAction(name);
  }

  QVariant currentValue() const override { return Value()->currentValue(); }
  void setCurrentValue(const QVariant& value) override {
    if (!Dropped()) Value()->setCurrentValue(value);
  }
  QVariant maximumValue() const override { return Value()->maximumValue(); }
  QVariant minimumValue() const override { return Value()->minimumValue(); }
  QVariant minimumStepSize() const override { return Value()->minimumStepSize(); }

  void deleteText(int startOffset, int endOffset) override {
    if (!Dropped()) Editable()->deleteText(startOffset, endOffset);
  }
  void insertText(int offset, const QString& text) override {
    if (!Dropped()) Editable()->insertText(offset, text);
  }
  void replaceText(int startOffset, int endOffset, const QString& text) override {
    if (!Dropped()) Editable()->replaceText(startOffset, endOffset, text);
  }

 private:
  bool Dropped() const {
    QObject* target = inner_->object();
    return target && target->isWidgetType() &&
           BusyScope::DropsInputTo(static_cast<QWidget*>(target));
  }
  QAccessibleActionInterface* Actions() const { return inner_->actionInterface(); }
  QAccessibleValueInterface* Value() const { return inner_->valueInterface(); }
  QAccessibleEditableTextInterface* Editable() const { return inner_->editableTextInterface(); }

  QAccessibleInterface* inner_;
  QAccessible::Id innerId_;
};

bool makingInner = false;

QAccessibleInterface* GuardedFactory(const QString&, QObject* object) {
  if (makingInner || !object || !object->isWidgetType()) return nullptr;
  // The toolkit makes (and registers) its own interface for the widget when
  // asked while this factory steps aside; the wrapper is what is handed out
  // from then on.
  makingInner = true;
  QAccessibleInterface* inner = QAccessible::queryAccessibleInterface(object);
  makingInner = false;
  return inner ? new GuardedInterface(inner) : nullptr;
}

}  // namespace

void GuardAssistiveInput() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(GuardedFactory);
}

}  // namespace qm
