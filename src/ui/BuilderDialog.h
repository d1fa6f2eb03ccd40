#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/AppContext.h"
#include "ui/ValueBinder.h"

namespace qm {

// A dialog that composes one command (or a few) for the tester's script: the
// label, text, barcode and drawing builders and the RFID insert windows.
//
// The insert contract: "Insert to label" takes and checks the values, sets
// insertFlag and filledFlag and ends the dialog with the Rejected result;
// "Close" takes and checks the values and ends it with Accepted; Escape and
// the close box end it with Rejected and insertFlag still 0. The tester runs
// the same builder again after every insert (RunInsertSequence), and a
// builder whose filledFlag is set comes back with the values it last
// inserted instead of its defaults.
class BuilderDialog : public QDialog, public BoundValues {
  Q_OBJECT

 public:
  explicit BuilderDialog(AppContext context, QWidget* parent = nullptr);

  int insertFlag = 0;
  int filledFlag = 0;

  // Readies the dialog for one more showing: defaults unless it was used for
  // an insert, then the fields shown in the controls.
  virtual void Prepare();

  // What the last insert composed: one command, or several joined by CR LF,
  // without the final line break.
  const std::string& InsertedCommand() const { return insertedCommand_; }

  // The handlers of the two buttons every builder has.
  void InsertToLabel();
  void CloseBuilder();

 protected:
  // Puts the fields to their defaults.
  virtual void LoadDefaults() = 0;
  // The command for the fields just taken, or nothing when the builder
  // refuses them (it has told the operator why).
  virtual std::optional<std::string> Compose() = 0;

  AppContext context_;

 private:
  std::string insertedCommand_;
};

// Makes a fresh builder for one press of its button.
using BuilderFactory = std::function<std::unique_ptr<BuilderDialog>(AppContext, QWidget* parent)>;

template <typename Builder>
BuilderFactory FactoryOf() {
  return [](AppContext context, QWidget* parent) -> std::unique_ptr<BuilderDialog> {
    return std::make_unique<Builder>(context, parent);
  };
}

// Runs a builder's insert sequence for the tester: shows it, and after each
// "Insert to label" hands its command to append and shows it again, until the
// operator closes it. Returns the number of commands appended.
int RunInsertSequence(BuilderDialog& builder,
                      const std::function<void(const std::string&)>& append);

// Enter in a box presses no button of the tester's windows: the first button
// would otherwise be the default, and a test print or a chart would go to
// the printer while the operator was still typing.
void PressNothingOnEnter(QDialog& dialog);

}  // namespace qm
