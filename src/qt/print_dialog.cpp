#include "qt/print_dialog.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "display/print_dialog.h"

namespace lav::qt {
namespace {

QString u(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString name(int control) {
  return QString("control-%1").arg(control);
}

}  // namespace

void RunPrintDialog(QWidget* parent, display::PrintDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("印刷の設定"));

  auto* unitBox = new QGroupBox(u("単位"));
  auto* unitLayout = new QHBoxLayout(unitBox);
  auto* units = new QButtonGroup(&d);
  const char* unitTexts[] = {"μｍ", "ｍｍ", "ｃｍ", "ｍ", "ｋｍ"};
  for (int i = 0; i < 5; ++i) {
    auto* b = new QRadioButton(u(unitTexts[i]));
    b->setObjectName(name(601 + i));
    b->setChecked(m.unit == 601 + i);
    units->addButton(b, 601 + i);
    unitLayout->addWidget(b);
  }

  auto* areaBox = new QGroupBox(u("印刷範囲座標"));
  auto* areaLayout = new QGridLayout(areaBox);
  auto* upperRight = new QLineEdit(QString::fromStdString(m.upperRight));
  upperRight->setObjectName(name(606));
  auto* lowerLeft = new QLineEdit(QString::fromStdString(m.lowerLeft));
  lowerLeft->setObjectName(name(607));
  auto* get = new QPushButton("GET");
  get->setObjectName(name(612));
  areaLayout->addWidget(new QLabel(u("右上")), 0, 0);
  areaLayout->addWidget(upperRight, 0, 1);
  areaLayout->addWidget(new QLabel(u("左下")), 1, 0);
  areaLayout->addWidget(lowerLeft, 1, 1);
  areaLayout->addWidget(get, 0, 2, 2, 1);

  auto* magnification = new QLineEdit(QString::fromStdString(m.magnificationText));
  magnification->setObjectName(name(608));
  auto* paperX = new QLabel(QString::fromStdString(m.paperX));
  paperX->setObjectName(name(610));
  auto* paperY = new QLabel(QString::fromStdString(m.paperY));
  paperY->setObjectName(name(611));
  auto* magLayout = new QGridLayout;
  magLayout->addWidget(new QLabel(u("倍率")), 0, 0);
  magLayout->addWidget(magnification, 0, 1);
  magLayout->addWidget(paperX, 1, 1);
  magLayout->addWidget(paperY, 2, 1);

  auto* execute = new QPushButton(u("実行"));
  execute->setObjectName(name(609));
  execute->setDefault(true);
  auto* cancel = new QPushButton(u("キャンセル"));
  cancel->setObjectName(name(2));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(execute);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(unitBox);
  layout->addWidget(areaBox);
  layout->addLayout(magLayout);
  layout->addLayout(buttons);

  auto refreshPaper = [&] {
    paperX->setText(QString::fromStdString(m.paperX));
    paperY->setText(QString::fromStdString(m.paperY));
  };
  QObject::connect(units, &QButtonGroup::idClicked, &d, [&](int id) {
    m.chooseUnit(id);
    refreshPaper();
  });
  QObject::connect(upperRight, &QLineEdit::textEdited, &d, [&](const QString& t) {
    m.editUpperRight(t.toStdString());
    refreshPaper();
  });
  QObject::connect(lowerLeft, &QLineEdit::textEdited, &d, [&](const QString& t) {
    m.editLowerLeft(t.toStdString());
    refreshPaper();
  });
  QObject::connect(magnification, &QLineEdit::textEdited, &d, [&](const QString& t) {
    m.editMagnification(t.toStdString());
    refreshPaper();
  });
  QObject::connect(get, &QPushButton::clicked, &d, [&] {
    m.pressGet();
    upperRight->setText(QString::fromStdString(m.upperRight));
    lowerLeft->setText(QString::fromStdString(m.lowerLeft));
    refreshPaper();
  });
  QObject::connect(execute, &QPushButton::clicked, &d, [&] {
    m.pressExecute();
    d.accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
  d.exec();
  if (!m.finished) m.cancel();
}

}  // namespace lav::qt
