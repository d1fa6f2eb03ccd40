#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "WindowRig.h"
#include "ui/BuilderDialog.h"
#include "ui/ValueBinder.h"

namespace qm::test {
namespace {

// The smallest builder: one text field; the command is ">" and the text.
// It refuses an empty text when taking its values, and the text "BAD" when
// composing, as real builders refuse values in both places.
class EchoBuilder : public BuilderDialog {
 public:
  explicit EchoBuilder(AppContext context) : BuilderDialog(context) {
    auto* layout = new QVBoxLayout(this);
    edit = new QLineEdit(this);
    edit->setObjectName("editText");
    auto* insert = new QPushButton("Insert to label", this);
    auto* close = new QPushButton("Close", this);
    layout->addWidget(edit);
    layout->addWidget(insert);
    layout->addWidget(close);
    connect(insert, &QPushButton::clicked, this, &BuilderDialog::InsertToLabel);
    connect(close, &QPushButton::clicked, this, &BuilderDialog::CloseBuilder);
    connect(this, &QDialog::finished, this, [this] { ++ends; });
  }

  QLineEdit* edit;
  std::string text;
  int defaultsLoaded = 0;
  int ends = 0;

 protected:
  void LoadDefaults() override {
    text = "DEFAULT";
    ++defaultsLoaded;
  }
  bool BindValues(ValueBinder& bind) override {
    bind.Text(edit, text);
    if (bind.TakingValues() && text.empty()) {
      context_.prompter.Refusal("Please enter a text.");
      return false;
    }
    return !bind.Failed();
  }
  std::optional<std::string> Compose() override {
    if (text == "BAD") {
      context_.prompter.Refusal("This text cannot be printed.");
      return std::nullopt;
    }
    return ">" + text;
  }
};

class InsertContractTest : public ::testing::Test {
 protected:
  WindowRig rig;
  EchoBuilder builder{rig.Context()};
  std::vector<std::string> appended;
  ModalScript modal;

  int Run() {
    return RunInsertSequence(builder, [this](const std::string& c) { appended.push_back(c); });
  }
  // One showing of the builder: the operator types, then presses a button.
  ModalScript::Handler Operator(const char* typed, void (BuilderDialog::*press)()) {
    return [this, typed, press](QDialog& dialog) {
      EXPECT_EQ(&dialog, &builder);
      if (typed) builder.edit->setText(typed);
      (builder.*press)();
      return dialog.result();
    };
  }
  ModalScript::Handler Escape() {
    return [](QDialog& dialog) {
      dialog.reject();
      return dialog.result();
    };
  }
};

TEST_F(InsertContractTest, InsertsUntilCloseReopeningWithTheLastValues) {
  std::vector<QString> shownOnOpening;
  auto remember = [&](ModalScript::Handler then) {
    return [&, then](QDialog& dialog) {
      shownOnOpening.push_back(builder.edit->text());
      return then(dialog);
    };
  };
  modal.Then(remember(Operator("A", &BuilderDialog::InsertToLabel)))
      .Then(remember(Operator("B", &BuilderDialog::InsertToLabel)))
      .Then(remember(Operator("C", &BuilderDialog::InsertToLabel)))
      .Then(remember(Operator(nullptr, &BuilderDialog::CloseBuilder)));

  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(appended, (std::vector<std::string>{">A", ">B", ">C"}));
  EXPECT_EQ(shownOnOpening, (std::vector<QString>{"DEFAULT", "A", "B", "C"}));
  EXPECT_EQ(builder.defaultsLoaded, 1);
  EXPECT_EQ(builder.insertFlag, 0);
  EXPECT_EQ(builder.filledFlag, 1);
  EXPECT_EQ(modal.Pending(), 0u);
}

TEST_F(InsertContractTest, EscapeOrCloseWithoutAnInsertAppendsNothing) {
  modal.Then(Escape());
  EXPECT_EQ(Run(), 0);
  modal.Then(Operator("X", &BuilderDialog::CloseBuilder));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(appended.empty());
  EXPECT_EQ(builder.filledFlag, 0);
}

TEST_F(InsertContractTest, EscapeAfterAnInsertEndsTheSequence) {
  modal.Then(Operator("A", &BuilderDialog::InsertToLabel)).Then(Escape());
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(appended, (std::vector<std::string>{">A"}));
}

TEST_F(InsertContractTest, RefusedValuesKeepTheBuilderOpenAndInsertNothing) {
  modal.Then([this](QDialog& dialog) {
    builder.edit->setText("BAD");
    builder.InsertToLabel();
    builder.edit->setText("");
    builder.InsertToLabel();
    builder.CloseBuilder();
    EXPECT_EQ(builder.ends, 0) << "a refused value must not end the builder";
    EXPECT_EQ(builder.insertFlag, 0);
    EXPECT_EQ(rig.prompter.Messages(),
              (std::vector<std::string>{"This text cannot be printed.", "Please enter a text.",
                                        "Please enter a text."}));
    dialog.reject();
    return dialog.result();
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(appended.empty());
}

TEST_F(InsertContractTest, ABuilderThatEndsAcceptedAfterAnInsertIsNotReopened) {
  modal.Then([this](QDialog& dialog) {
    builder.edit->setText("ONCE");
    builder.InsertToLabel();
    dialog.accept();
    return dialog.result();
  });
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(appended, (std::vector<std::string>{">ONCE"}));
}

TEST_F(InsertContractTest, ANewBuilderStartsFromItsDefaults) {
  modal.Then(Operator("A", &BuilderDialog::InsertToLabel)).Then(Escape());
  Run();
  EchoBuilder fresh(rig.Context());
  modal.Then([&](QDialog& dialog) {
    EXPECT_EQ(fresh.edit->text(), "DEFAULT");
    dialog.reject();
    return dialog.result();
  });
  RunInsertSequence(fresh, [](const std::string&) {});
}

}  // namespace
}  // namespace qm::test
