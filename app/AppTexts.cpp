#include "app/AppTexts.h"

#include "capture/CaptureResult.h"

namespace AppTexts {

QString AppName() {
    return QStringLiteral("Zelvane");
}

QString DisplayName() {
    return QStringLiteral("Tarnel");
}

QString Version() {
    return QStringLiteral(ZELVANE_VERSION);
}

QString MainTitle() {
    return QStringLiteral("Tarnel (웹문서 캡쳐 및 인쇄용 프로그램, Ver %1)").arg(Version());
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

QString CaptureFailureText(const CaptureResult& result) {
    switch (result.Why()) {
    case CaptureResult::Done:
        break;
    case CaptureResult::NothingToCapture:
        return QStringLiteral("원인: 캡쳐할 문서가 없습니다.");
    case CaptureResult::TooLarge: {
        const QString text = QStringLiteral("원인: 페이지(%1 × %2 픽셀)가 너무 커서 한 장의 그림에 "
                                            "담을 수 없습니다.")
                                 .arg(result.Size().width())
                                 .arg(result.Size().height());
        // The largest picture counts pixels: at a ratio of N a page holds N^2 as many.
        if (result.Scale() <= 1)
            return text;
        return text + QStringLiteral(" 화면 배율 %1에서는 문서 한 픽셀이 %2픽셀이라, 담을 수 있는 "
                                     "가장 큰 페이지가 배율 1보다 %2배 작습니다.")
                          .arg(result.Scale())
                          .arg(result.Scale() * result.Scale());
    }
    case CaptureResult::Shrank:
        return QStringLiteral("원인: 캡쳐하는 동안 페이지가 짧아졌습니다.");
    case CaptureResult::NoAnswer:
        return QStringLiteral("원인: 웹 엔진이 제때 응답하지 않았습니다.");
    case CaptureResult::RendererEnded:
        return QStringLiteral("원인: 페이지를 그리던 프로세스가 끝났습니다.");
    case CaptureResult::TimedOut:
        return QStringLiteral("원인: 캡쳐가 제한 시간 안에 끝나지 않았습니다.");
    case CaptureResult::Cancelled:
        return QStringLiteral("원인: 캡쳐를 취소했습니다.");
    case CaptureResult::OutOfMemory:
        return QStringLiteral("원인: 그림을 담을 메모리가 부족합니다.");
    }
    return QString();
}

QString RendererEndedTitle() {
    return QStringLiteral("페이지 오류!!");
}

QString RendererEndedLine1() {
    return QStringLiteral("페이지를 그리던 프로세스가 끝났습니다.");
}

QString RendererEndedLine2() {
    return QStringLiteral("페이지를 다시 불러올까요?");
}

QString AboutTitle() {
    return QStringLiteral("웹문서를 한 장의 그림으로 - Tarnel 프로젝트, https://tarnel.example");
}

QString AboutLabel() {
    return QStringLiteral("Tarnel은 Tarnel 프로젝트가 만들어 무료로 배포하는 프로그램입니다.");
}

} // namespace AppTexts
