// The address book: its file, the clean-up on show, picking recipients, OK and Cancel.
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "components/SortGrid.h"
#include "platform/core/AppPaths.h"
#include "tests/email/EmailFixture.h"

namespace kiv::test {
namespace {

TEST(AddressBookFile, LinesWithTwoTabEndedFieldsAreRows) {
    struct Case {
        const char* bytes;
        std::vector<std::pair<int, std::vector<std::string>>> lines;
    };
    const Case cases[] = {
        {"Name\temail\t\r\nBob\tbob@x.org\t\r\n",
         {{0, {"Name", "email"}}, {1, {"Bob", "bob@x.org"}}}},
        {"Bob\tbob@x.org\r\nAnn\tann@x.org\t",
         {{1, {"Ann", "ann@x.org"}}}},                      // no last TAB: skipped
        {"a\tb\tc\t\nx\ty\tleft over", {{1, {"x", "y"}}}},  // text after the last TAB ignored
        {"\t\t\r\n", {{0, {"", ""}}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int, std::vector<std::string>>> got;
        for (const TAddressLine& l : ParseAddressBook(c.bytes, 2))
            got.push_back({l.Index, l.Fields});
        EXPECT_EQ(got, c.lines) << c.bytes;
    }
    // Windows-1252 as the Windows program wrote it.
    EXPECT_EQ(ParseAddressBook("J\xF6rg\tj@x.org\t", 2)[0].Fields[0], "J\xC3\xB6rg");
}

TEST(AddressBookFile, BytesAreTabEndedCellsAndCrLfLines) {
    EXPECT_EQ(FormatAddressBook({{"Name", "email"}, {"Bob", "bob@x.org"}}),
              "Name\temail\t\r\nBob\tbob@x.org\t\r\n");
    // A cell never splits its row: TAB, CR and LF become blanks.
    const std::string bytes =
        FormatAddressBook({{"A\tB", "a@x.org\r\n"}, {"J\xC3\xB6rg", "j@x.org"}});
    EXPECT_EQ(bytes, "A B\ta@x.org  \t\r\nJ\xF6rg\tj@x.org\t\r\n");
    EXPECT_EQ(ParseAddressBook(bytes, 2).size(), 2u);
}

TEST(AddressBookFile, CleanUpOnShow) {
    using R = std::vector<TAddressRow>;
    struct Case {
        R in, out;
    };
    const Case cases[] = {
        {{{"  ", "bob@x.org"}}, {{"bob@x.org", "bob@x.org"}}},
        {{{"A", "@x.org"}, {"B", "b@x.org"}, {"C", "nobody"}}, {{"B", "b@x.org"}}},
        {{{"A", "@x.org"}, {"C", "nobody"}},
         {{"", ""}}},  // the last row left is emptied, not removed
        {{{"A", "a@"}}, {{"A", "a@"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(CleanAddressRows(c.in), c.out);
    EXPECT_EQ(JoinRecipientLines({"a", "b", "c"}), "a; b; c");
    EXPECT_EQ(JoinRecipientLines({}), "");
}

class AddressBook : public EmailFixture {
protected:
    TfrmAddresses* book = nullptr;
    TSortGrid* g = nullptr;
    std::string Book() const { return env.Dir() + "address.lst"; }

    void ShowBook(const std::string& bytes) {
        WriteFileAtomic(Book(), bytes);
        book = w->frmAddresses.get();
        g = book->sgdAddresses;
        book->show();
    }
    // As the user selects them: a click on the first, Shift+Down to the last.
    void SelectRows(int from, int to) {
        g->SelectCell(0, from, false);
        if (to == from) return;
        QTest::keyPress(g, Qt::Key_Shift);
        for (int r = from; r < to; ++r) QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyRelease(g, Qt::Key_Shift, Qt::ShiftModifier);
        for (int r = from; r <= to; ++r) ASSERT_TRUE(g->RowSelected(r)) << r;
    }
    QStringList Lines(QListWidget* l) const {
        QStringList out;
        for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
        return out;
    }
};

TEST_F(AddressBook, ShowReadsTheFileAndCleansItUp) {
    ShowBook(
        "Name\temail\t\r\n\tann@x.org\t\r\nBad\t@x.org\t\r\nbroken line\r\nDoe, Jane\tj@y.org\t\r\n");
    EXPECT_EQ(book->windowTitle(), "Select recepients:");
    ASSERT_EQ(g->RowCount(), 3);
    EXPECT_EQ(g->Rows(0), (QStringList{"Name", "email"}));
    EXPECT_EQ(g->Rows(1), (QStringList{"ann@x.org", "ann@x.org"}));
    EXPECT_EQ(g->Rows(2), (QStringList{"Doe, Jane", "j@y.org"}));

    RemoveFile(Book());
    book->hide();
    book->show();
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(g->Rows(0), (QStringList{"Name", "email"}));
    EXPECT_EQ(g->Rows(1), (QStringList{"", ""}));
}

TEST_F(AddressBook, PicksRecipientsOnceAndOkJoinsThem) {
    ShowBook("Name\temail\t\r\nBob\tbob@x.org\t\r\nDoe, Jane\tj@y.org\t\r\nCid\tc@z.org\t\r\n");
    SelectRows(1, 2);
    book->btnTo->click();
    book->btnTo->click();
    EXPECT_EQ(Lines(book->lbxTo), (QStringList{"Bob <bob@x.org>", "\"Doe, Jane\" <j@y.org>"}));
    SelectRows(3, 3);
    book->btnCc->click();
    EXPECT_EQ(Lines(book->lbxCc), QStringList{"Cid <c@z.org>"});
    book->btnOK->click();
    EXPECT_TRUE(book->isHidden());
    EXPECT_EQ(send->edtTo->text(), "Bob <bob@x.org>; \"Doe, Jane\" <j@y.org>");
    EXPECT_EQ(send->edtCc->text(), "Cid <c@z.org>");
    // What the send window splits again is the same recipients.
    EXPECT_EQ(mail::ParseRecipients(send->edtTo->text().toStdString()).size(), 2u);
    // OK stored the book, by the same bytes.
    EXPECT_EQ(ReadWholeFile(Book()),
              "Name\temail\t\r\nBob\tbob@x.org\t\r\nDoe, Jane\tj@y.org\t\r\nCid\tc@z.org\t\r\n");
    EXPECT_TRUE(FolderEntries(env.Dir()) == (std::vector<std::string>{"address.lst"}));
}

TEST_F(AddressBook, OkWithEmptyListsTakesTheSelectedRows) {
    ShowBook("Name\temail\t\r\nBob\tbob@x.org\t\r\nAnn\tann@x.org\t\r\n");
    SelectRows(1, 2);
    book->btnOKClick();
    EXPECT_EQ(send->edtTo->text(), "Bob <bob@x.org>; Ann <ann@x.org>");
    EXPECT_EQ(send->edtCc->text(), "");
}

TEST_F(AddressBook, CancelStoresNothingAndChangesNothing) {
    ShowBook("Name\temail\t\r\nBob\tbob@x.org\t\r\n");
    send->edtTo->setText("kept@x.org");
    g->SetCells(0, 1, "Changed");
    SelectRows(1, 1);
    book->btnTo->click();
    book->btnCancel->click();
    EXPECT_TRUE(book->isHidden());
    EXPECT_EQ(send->edtTo->text(), "kept@x.org");
    EXPECT_EQ(ReadWholeFile(Book()), "Name\temail\t\r\nBob\tbob@x.org\t\r\n");
}

TEST_F(AddressBook, DelRemovesTheSelectedLinesAndSelectsTheNext) {
    ShowBook("Name\temail\t\r\n");
    for (const char* s : {"a", "b", "c", "d"}) book->lbxTo->addItem(s);
    book->lbxTo->setCurrentRow(1);
    book->lbxTo->item(2)->setSelected(true);
    QTest::keyClick(book->lbxTo, Qt::Key_Delete);
    EXPECT_EQ(Lines(book->lbxTo), (QStringList{"a", "d"}));
    EXPECT_EQ(book->lbxTo->currentRow(), 1);
    book->lbxTo->setCurrentRow(1);
    QTest::keyClick(book->lbxTo, Qt::Key_Delete);
    EXPECT_EQ(Lines(book->lbxTo), QStringList{"a"});
    EXPECT_EQ(book->lbxTo->currentRow(), 0);
}

TEST_F(AddressBook, AddDeleteAndTheGridsModes) {
    ShowBook("Name\temail\t\r\nBob\tbob@x.org\t\r\nAnn\tann@x.org\t\r\n");
    EXPECT_FALSE(book->AddressGridEditing());
    EXPECT_TRUE(g->Options().Contains(goRowSelect));
    book->SpeedButton1->click();
    EXPECT_EQ(g->RowCount(), 4);
    EXPECT_EQ(g->Row(), 3);
    EXPECT_TRUE(book->AddressGridEditing());
    EXPECT_FALSE(g->Options().Contains(goRowSelect));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->CellRect(0, 1).center());
    EXPECT_FALSE(book->AddressGridEditing());
    QTest::keyClick(g, Qt::Key_Z);
    EXPECT_TRUE(book->AddressGridEditing());

    g->SetRow(1);
    book->SpeedButton2->click();
    EXPECT_EQ(g->RowCount(), 3);
    EXPECT_EQ(g->Rows(1), (QStringList{"Ann", "ann@x.org"}));
    g->SetRowCount(2);
    g->SetRow(1);
    book->SpeedButton2->click();
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(g->Rows(1), (QStringList{"", ""}));
}

TEST_F(AddressBook, SortsByNameWithoutRegardToCase) {
    ShowBook("Name\temail\t\r\nbob\tb@x.org\t\r\nAnn\ta@x.org\t\r\ncarl\tc@x.org\t\r\n");
    const TSortOptions& o = g->SortOptions();
    EXPECT_TRUE(o.CanSort);
    EXPECT_FALSE(o.SortCaseSensitive);
    EXPECT_EQ(o.SortCol, 0);
    EXPECT_EQ(o.SortDirection, sdAscending);
    EXPECT_TRUE(g->MultiSelect());
    g->SortByColumn(0);
    EXPECT_EQ(g->Cols(0), (QStringList{"Name", "Ann", "bob", "carl"}));
    EXPECT_EQ(g->Rows(1), (QStringList{"Ann", "a@x.org"}));
}

}  // namespace
}  // namespace kiv::test
