#include "review/ReviewTexts.h"

namespace ReviewTexts {

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

} // namespace ReviewTexts
