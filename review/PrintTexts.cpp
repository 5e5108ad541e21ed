#include "review/PrintTexts.h"

namespace PrintTexts {

QString MakerName() {
    return QStringLiteral("Tarnel 프로젝트");
}

QString MakerLine() {
    return MakerName() + QStringLiteral("에서 무료로 개발하여 배포합니다.");
}

QString JobName() {
    return QStringLiteral("Tarnel - ") + MakerName();
}

QString JobRefusedLine() {
    return QStringLiteral("프린터가 인쇄 작업을 받아들이지 않았습니다.");
}

} // namespace PrintTexts
