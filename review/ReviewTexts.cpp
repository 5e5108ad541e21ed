#include "review/ReviewTexts.h"

#include <QByteArray>

namespace ReviewTexts {

QString ReviewTitleNote() {
    return QStringLiteral(
        "(의견과 문의는 Tarnel 커뮤니티 게시판 https://tarnel.example/board 으로)");
}

QString AdvertisingContact() {
    return QStringLiteral(" 광고 문의 : Tarnel 프로젝트, https://tarnel.example/board");
}

QString OutOfMemoryTitle() {
    return QStringLiteral("메모리가 부족합니다!!");
}

QString OutOfMemoryLine1() {
    return QStringLiteral("페이지 이미지를 만들 메모리가 부족해서 작업을 하지 못했습니다.");
}

QString OutOfMemoryLine2() {
    return QStringLiteral("페이지들은 바뀌지 않았습니다. 다른 프로그램을 닫고 다시 해보세요.");
}

QString BuiltInAdAddress(int number) {
    switch (number) {
    case 1:
        return QStringLiteral("qrc:/adtext/review.txt");
    case 2:
        return QStringLiteral("qrc:/adtext/save.txt");
    case 3:
        return QStringLiteral("qrc:/adtext/print.txt");
    default:
        return {};
    }
}

QByteArray AdAddressVariable(int number) {
    return "ZELVANE_AD_URL_" + QByteArray::number(number);
}

QString AdPagesFolder() {
    return QStringLiteral("ad");
}

} // namespace ReviewTexts
