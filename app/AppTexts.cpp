#include "app/AppTexts.h"

namespace AppTexts {

QString AppName() {
    return QStringLiteral("Zelvane");
}

QString DisplayName() {
    return QStringLiteral("Tarnel");
}

QString MainTitle() {
    return QStringLiteral("Tarnel (웹문서 캡쳐 및 인쇄용 프로그램, Ver 0.77)");
}

QString MainCaption(bool withoutSandbox) {
    return withoutSandbox ? MainTitle() + QStringLiteral(" - 브라우저가 샌드박스 없이 실행 중")
                          : MainTitle();
}

QString AddressLabel() {
    return QStringLiteral("** 사이트 주소 : ");
}

QString ReportBoardUrl() {
    return QStringLiteral("https://tarnel.example/board");
}

QString CaptureErrorTitle() {
    return QStringLiteral("캡쳐 오류!!");
}

QString CaptureErrorLine1() {
    return QStringLiteral("내부 오류로 화면 캡쳐에 실패했습니다.");
}

QString CaptureErrorLine2() {
    return QStringLiteral("캡쳐하려고 했던 사이트의 주소(URL)을 제보해주시면");
}

QString CaptureErrorLine3() {
    return QStringLiteral("원인을 찾아서 캡쳐할수 있도록 프로그램을 수정하겠습니다. ^^;;");
}

QString CaptureErrorBoardLine() {
    return ReportBoardUrl() + QStringLiteral(" 게시판으로 제보 부탁드리겠습니다.");
}

QString NoBrowserPages() {
    return QStringLiteral("Firefox나 Chromium 계열 브라우저에 열린 페이지가 없습니다. "
                          "--remote-debugging-port로 실행한 브라우저도 찾습니다.");
}

QString CaptureErrorOneLine() {
    return QStringList{CaptureErrorTitle(), CaptureErrorLine1(), CaptureErrorLine2(),
                       CaptureErrorLine3(), CaptureErrorBoardLine()}
        .join(QLatin1Char(' '));
}

QString AboutTitle() {
    return QStringLiteral("웹문서를 한 장의 그림으로 - Tarnel 프로젝트, https://tarnel.example");
}

QString AboutLabel() {
    return QStringLiteral("Tarnel은 Tarnel 프로젝트가 만들어 무료로 배포하는 프로그램입니다.");
}

} // namespace AppTexts
