#include "app/forms/output_fault_text.h"

#include <QFileInfo>
#include <cerrno>

namespace korvana::forms {

//! A kind of file as the windows name it.
QString fileKindText(FileKind kind) {
    switch (kind) {
        case FileKind::Result:
            return QStringLiteral("結果ファイル");
        case FileKind::Uncertainty:
            return QStringLiteral("統計誤差のファイル");
        case FileKind::Case:
            return QStringLiteral("ケースファイル");
        case FileKind::Scene:
            return QStringLiteral("部屋の配置ファイル");
        case FileKind::Points:
            return QStringLiteral("目の位置の結果ファイル");
        case FileKind::CsvTable:
            return QStringLiteral("CSV ファイル");
        case FileKind::Log:
            return QStringLiteral("計算の記録（ログ）");
        case FileKind::PhysicsTable:
            return QStringLiteral("物理データの表");
        case FileKind::RunFile:
            return QStringLiteral("計算条件ファイル");
        case FileKind::Spectrum:
            return QStringLiteral("スペクトルファイル");
        case FileKind::HvlResults:
            return QStringLiteral("HVL の結果ファイル");
        case FileKind::EngineSpeeds:
            return QStringLiteral("計算速度の記録");
        case FileKind::StudyIdentity:
            return QStringLiteral("スタディの記録");
        case FileKind::Program:
            return QStringLiteral("プログラム");
        case FileKind::Directory:
            return QStringLiteral("フォルダ");
        case FileKind::Special:
            return QStringLiteral("特殊なファイル");
        case FileKind::Other:
            break;
    }
    return QStringLiteral("このプログラムが作らないファイル");
}

QString outputFaultText(const OutputFault& fault) {
    const QString file = QString::fromStdString(fault.path);
    switch (fault.problem) {
        case OutputProblem::OtherKind:
        case OutputProblem::Exists:
            return QStringLiteral("「%1」は%2です。結果で上書きすることはできません。")
                .arg(file, fileKindText(fault.found));
        case OutputProblem::NameTooLong:
        case OutputProblem::PathTooLong:
            return QStringLiteral("名前が長すぎます（このフォルダでは %1 バイトまで）。")
                .arg(longestResultStem(QFileInfo(file).absolutePath().toStdString()));
        case OutputProblem::NoDirectory:
        case OutputProblem::NotWritable:
            if (fault.systemError == EROFS) {
                return QStringLiteral("作業フォルダは読み取り専用のため、結果を保存できません。");
            }
            if (fault.systemError == EACCES || fault.systemError == EPERM) {
                return QStringLiteral(
                    "作業フォルダに書き込む権限がないため、結果を保存できません。");
            }
            return QStringLiteral("作業フォルダに書き込めません（%1）。")
                .arg(QString::fromStdString(fault.reason));
        case OutputProblem::DiskFull:
            return QStringLiteral("ディスクの空きが足りません（空き %1 kB、必要 %2 kB）。")
                .arg((fault.freeBytes + 1023) / 1024)
                .arg((fault.neededBytes + 1023) / 1024);
    }
    return {};
}

}  // namespace korvana::forms
