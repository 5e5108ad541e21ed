#include "review/ReviewTexts.h"

#include "imaging/PageOutput.h"

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

QString SaveFreeNote() {
    return QStringLiteral("이 프로그램은 제작자가 무료로 개발하여 배포하는 프로그램입니다.");
}

QString SaveFailedTitle() {
    return QStringLiteral("파일 저장 실패!!");
}

QString SaveFailedLine() {
    return QStringLiteral("다음 파일을 만들거나 끝까지 쓰지 못했습니다.");
}

QString SaveFailedHint() {
    return QStringLiteral("디스크의 남은 공간과 폴더의 쓰기 권한을 확인해 주십시오.");
}

QString SaveFailedKeptLine() {
    return QStringLiteral("그 앞에 저장된 파일들은 그대로 남아 있습니다.");
}

QString ScrollRefusedTitle() {
    return QStringLiteral("두루마리로 저장할 수 없습니다!!");
}

QString JpegScrollTooTallLine(int maxPages) {
    return QStringLiteral("JPEG 두루마리는 %1페이지까지만 만들 수 있습니다.").arg(maxPages);
}

QString JpegScrollUsedPagesLine(int usedPages) {
    return QStringLiteral("지금 사용으로 표시된 페이지는 %1페이지입니다.").arg(usedPages);
}

QString JpegScrollAdvice() {
    return QStringLiteral("비트맵 형식을 고르거나 페이지별로 저장해 주십시오.");
}

QString BmpScrollTooLargeLine() {
    return QStringLiteral("비트맵 두루마리가 너무 커서 한 파일에 담을 수 없습니다.");
}

QString BmpScrollAdvice() {
    return QStringLiteral("페이지별로 저장하거나 사용할 페이지 수를 줄여 주십시오.");
}

QString NoUsedPagesLine() {
    return QStringLiteral("사용으로 표시된 페이지가 없습니다.");
}

QString NothingToSaveTitle() {
    return QStringLiteral("저장 오류!!");
}

QString NothingToSaveLine() {
    return QStringLiteral("저장할 페이지가 없습니다.");
}

QString SavedTitle() {
    return QStringLiteral("페이지들을 파일로 저장했습니다~!");
}

QString OpenFolderQuestion() {
    return QStringLiteral("생성된 파일이 존재하는 폴더를 보시겠습니까?");
}

QString SaveFolderLine(const QString& folder) {
    return QStringLiteral("이미지 파일은 %1 폴더에 저장됩니다. 해당 폴더에").arg(folder);
}

QString PdfNote() {
    return QStringLiteral(
        "PDF 형식은 두루마리와 상관없이 A4 한장에 한 페이지씩 name.pdf 한개로 만들어집니다.");
}

QString MakerName() {
    return QStringLiteral("Tarnel 프로젝트");
}

QString MakerLine() {
    return MakerName() + QStringLiteral("에서 무료로 개발하여 배포합니다.");
}

QString JobName() {
    // The name saved documents carry too, so it lives with the writers.
    return PageOutput::DocumentName();
}

QString JobRefusedLine() {
    return QStringLiteral("프린터가 인쇄 작업을 받아들이지 않았습니다.");
}

QString PrintErrorTitle() {
    return QStringLiteral("인쇄 오류!!");
}

QString NothingToPrintLine() {
    return QStringLiteral("인쇄할 페이지가 없습니다.");
}

QString PrinterSetupTitle() {
    return QStringLiteral("프린터 설정을 체크해주세요!!");
}

QString PrinterSetupLine() {
    return QStringLiteral("프린터의 설정상태에 문제가 있습니다.");
}

QString ImageChangedTitle() {
    return QStringLiteral("이미지 정보가 변경되었습니다. 저장하시겠습니까?");
}

QString ImageChangedQuestion() {
    return QStringLiteral("관련된 정보들을 모두 업데이트 하시겠습니까?");
}

QString ImageChangedLine1() {
    return QStringLiteral("저장하지 않으시면 다른 페이지 선택했다가 다시 이 페이지를 선택하면");
}

QString ImageChangedLine2() {
    return QStringLiteral("변경전 이미지로 출력됩니다.");
}

} // namespace ReviewTexts
