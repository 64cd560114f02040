// The result list's storage, display decoding and the drop and layout helpers.
#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "ui/qt/dialog_units.h"
#include "ui/qt/display_text.h"
#include "ui/qt/drop_paths.h"
#include "ui/qt/result_model.h"
#include "ui/qt/result_view.h"

using namespace korvel::qt;

class ResultListTest : public QObject {
  Q_OBJECT

 private slots:
  void DisplayDecodesUtf8AndKeepsEveryOtherByteVisible() {
    QCOMPARE(DisplayText("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    // Invalid UTF-8: each byte stands for its Windows-1252 character.
    QCOMPARE(DisplayText("caf\xE9"), QString::fromUtf8("caf\xC3\xA9"));
    QCOMPARE(DisplayText("\x80x"), QString::fromUtf8("\xE2\x82\xAC"
                                                     "x"));
    QCOMPARE(DisplayText("\x81"), QString(QChar(0xFFFD)));
    // Overlong forms and surrogates are not UTF-8.
    QCOMPARE(DisplayText("\xC0\xAF").size(), 2);
    QCOMPARE(DisplayText("\xED\xA0\x80").size(), 3);
    QCOMPARE(DisplayText("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80"));
  }

  void RowsKeepTheirExactBytes() {
    ResultModel model;
    model.InsertColumn(0, "Address");
    model.InsertColumn(1, "Location");
    const std::string odd("http://h/\xFF\xFE\x01 x", 14);
    const int row = model.InsertRow(model.RowCount(), "");
    QCOMPARE(row, 0);
    QVERIFY(model.SetCell(row, 0, odd));
    QVERIFY(model.SetCell(row, 1, "/tmp/\xE9t\xE9.txt"));
    QCOMPARE(model.Cell(0, 0), odd);
    QCOMPARE(model.Cell(0, 1), std::string("/tmp/\xE9t\xE9.txt"));
    QVERIFY(!model.SetCell(1, 0, "x"));
    QVERIFY(!model.SetCell(0, 2, "x"));
  }

  void AppendedRowsReachTheViewInOneBatch() {
    ResultModel model;
    model.InsertColumn(0, "Address");
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 100; ++i)
      model.SetCell(model.InsertRow(model.RowCount(), ""), 0, std::to_string(i));
    QCOMPARE(model.RowCount(), 100);
    QCOMPARE(model.Cell(99, 0), std::string("99"));
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.rowCount(), 100);
    QCOMPARE(model.data(model.index(42, 0), Qt::DisplayRole).toString(), QString("42"));
  }

  void RemovingRowsClosesTheGapAndKeepsTheOthersIntact() {
    ResultModel model;
    model.InsertColumn(0, "Address");
    model.InsertColumn(1, "Location");
    // Long rows, so that removals pass the arena's compaction threshold.
    const std::string pad(3000, 'p');
    for (int i = 0; i < 2000; ++i) {
      const int row = model.InsertRow(model.RowCount(), "");
      model.SetCell(row, 0, std::to_string(i) + pad);
      model.SetCell(row, 1, "/same/file");
    }
    const std::size_t full = model.StorageBytes();
    for (int i = 0; i < 1800; ++i) QVERIFY(model.RemoveRow(0));
    QCOMPARE(model.RowCount(), 200);
    QCOMPARE(model.rowCount(), 200);
    QCOMPARE(model.Cell(0, 0), "1800" + pad);
    QCOMPARE(model.Cell(199, 0), "1999" + pad);
    QCOMPARE(model.Cell(199, 1), std::string("/same/file"));
    QVERIFY(model.StorageBytes() * 2 < full);  // the removed rows' bytes were given back
    QVERIFY(!model.RemoveRow(200));
    model.RemoveAll();
    QCOMPARE(model.RowCount(), 0);
    QCOMPARE(model.rowCount(), 0);
  }

  void InsertingInTheMiddleShiftsTheRowsBelow() {
    ResultModel model;
    model.InsertColumn(0, "Address");
    model.SetCell(model.InsertRow(0, ""), 0, "b");
    model.InsertRow(0, "a");
    model.InsertRow(9, "c");  // past the end appends
    QCOMPARE(model.Cell(0, 0), std::string("a"));
    QCOMPARE(model.Cell(1, 0), std::string("b"));
    QCOMPARE(model.Cell(2, 0), std::string("c"));
  }

  void ViewSelectsOneWholeRowAndHeadersDoNotSort() {
    ResultView view;
    ResultModel& model = *view.Model();
    model.InsertColumn(0, "Address");
    model.InsertColumn(1, "Location");
    for (int i = 0; i < 3; ++i) model.InsertRow(model.RowCount(), std::to_string(i));
    model.Flush();
    QCOMPARE(view.SelectedRow(), -1);
    view.selectRow(2);
    view.selectRow(1);
    QCOMPARE(view.SelectedRow(), 1);
    QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
    // Removing the selected row leaves none selected (Qt would pick the next).
    view.setCurrentIndex(model.index(1, 0));
    QCOMPARE(view.SelectedRow(), 1);
    model.RemoveRow(1);
    QCOMPARE(view.SelectedRow(), -1);
    QVERIFY(!view.horizontalHeader()->sectionsClickable());
    QVERIFY(!view.isSortingEnabled());
  }

  void FileUrisBecomeExactPathBytes() {
    QCOMPARE(LocalPathFromUri("file:///tmp/a%20b/%FFx"),
             std::optional<std::string>("/tmp/a b/\xFFx"));
    QCOMPARE(LocalPathFromUri("file://localhost/etc"), std::optional<std::string>("/etc"));
    QVERIFY(!LocalPathFromUri("http://example.com/x"));
    QVERIFY(!LocalPathFromUri("file://elsewhere.example/x"));
    QVERIFY(!LocalPathFromUri("file:///bad%2"));
    QVERIFY(!LocalPathFromUri("file:///nul%00x"));

    QMimeData mime;
    mime.setData("text/uri-list", "# comment\r\nfile:///first%E9\r\nfile:///second\r\n");
    QCOMPARE(FirstDroppedPath(&mime), std::optional<std::string>("/first\xE9"));
    QCOMPARE(DroppedPaths(&mime), (std::vector<std::string>{"/first\xE9", "/second"}));

    // Only the first item counts: when it is no local path, nothing is dropped.
    QMimeData web;
    web.setUrls({QUrl("http://example.com/x"), QUrl::fromLocalFile("/second")});
    QVERIFY(DroppedPaths(&web).empty());
    QMimeData remote;
    remote.setData("text/uri-list", "file://elsewhere.example/x\r\nfile:///second\r\n");
    QVERIFY(DroppedPaths(&remote).empty());
  }

  void DialogUnitsFollowTheFontMetrics() {
    const DialogUnits units(7, 13);
    QCOMPARE(units.X(4), 7);
    QCOMPARE(units.Y(8), 13);
    QCOMPARE(units.Rect(9, 9, 335, 167), QRect(16, 15, 586, 271));
    const DialogUnits measured(TemplateFont("Courier New", 8));
    QVERIFY(measured.BaseX() > 3 && measured.BaseX() < 12);
    QVERIFY(measured.BaseY() > measured.BaseX());
  }
};

QTEST_MAIN(ResultListTest)
#include "result_list_test.moc"
