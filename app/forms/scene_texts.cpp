#include "app/forms/scene_texts.h"

#include <QStringList>

namespace korvana::forms {

namespace {

QString number(double value) { return QString::number(value, 'g', 7); }

}  // namespace

QString sceneFaultText(const SceneFault& f) {
    const QString value = number(f.value);
    const QString limit = number(f.limit);
    switch (f.problem) {
        case SceneProblem::NotFinite:
            return QStringLiteral("数値ではありません。数値を入力して下さい。");
        case SceneProblem::Negative:
            return QStringLiteral("%1 mm は 0 未満です。0 以上を入力して下さい。").arg(value);
        case SceneProblem::TooMuchLead:
            return QStringLiteral(
                       "鉛当量 %1 mm は計算できる上限 %2 mm を超えています"
                       "（それより厚い鉛の後ろには診断用Ｘ線はほとんど残りません）。")
                .arg(value, limit);
        case SceneProblem::TooMuchAluminium:
            return QStringLiteral(
                       "Al 当量 %1 mm は上限 %2 mm を超えています"
                       "（線束中の寝台はＸ線のろ過に含めて下さい）。")
                .arg(value, limit);
        case SceneProblem::NotPositive:
            return QStringLiteral(
                       "大きさ %1 cm は 0 "
                       "より大きくありません（面積や幅のない物は効果がありません）。"
                       "大きさを入力するか、削除して下さい。")
                .arg(value);
        case SceneProblem::BeyondReach:
            return QStringLiteral("%1 cm は %2 cm を超えています（小数点の位置を確かめて下さい）。")
                .arg(value, limit);
        case SceneProblem::TiltBeyondRight:
            return QStringLiteral(
                       "傾き %1 度は ±%2 度を超えています。-90 〜 90 度で入力して下さい。")
                .arg(value, limit);
        case SceneProblem::TooMany:
            return QStringLiteral("%1 個は上限の %2 個を超えています。%2 個以下にして下さい。")
                .arg(value, limit);
        case SceneProblem::EmptyName:
            return QStringLiteral("名前がありません。名前を入力して下さい。");
        case SceneProblem::NameTooLong:
            return QStringLiteral("名前が長すぎます（%1 バイト、上限 %2 バイト）。短くして下さい。")
                .arg(value, limit);
        case SceneProblem::NameWithControl:
            return QStringLiteral("名前に制御文字が含まれています。");
        case SceneProblem::SameName:
            return QStringLiteral("名前「%1」は他の要素と同じです。どちらかの名前を変えて下さい。")
                .arg(QString::fromStdString(f.name));
        case SceneProblem::NotOnWorkerSide:
            return QStringLiteral(
                       "x = %1 cm は被照射体の側面 (x = %2 cm) より作業者側にありません"
                       "（散乱線は作業者側でのみ計算されます）。x を %2 cm より大きくして下さい。")
                .arg(value, limit);
        case SceneProblem::InsideObject:
            return QStringLiteral(
                       "遮へい板が被照射体 (x %1〜%2、y %3〜%4、z %5〜%6 cm) を貫いています。"
                       "被照射体の外へ動かして下さい。")
                .arg(number(f.object.xMinCm), number(f.object.xMaxCm), number(f.object.yMinCm),
                     number(f.object.yMaxCm), number(f.object.zMinCm), number(f.object.zMaxCm));
    }
    return QStringLiteral("この値は使えません。");
}

QString sceneFaultPlaceText(const SceneFault& fault) {
    const QString key = QString::fromStdString(fault.key);
    const QString name = fault.name.empty()
                             ? QString()
                             : QStringLiteral("「%1」").arg(QString::fromStdString(fault.name));
    const auto row = [&key](const QString& list) {
        const qsizetype open = key.indexOf(QLatin1Char('['), list.size());
        const qsizetype close = key.indexOf(QLatin1Char(']'), open);
        if (open != list.size() || close < 0) return QString();
        return QStringLiteral(" %1 行目").arg(key.mid(open + 1, close - open - 1).toInt() + 1);
    };
    if (key.startsWith(QLatin1String("shields"))) {
        return QStringLiteral("遮へい板") + row(QStringLiteral("shields")) + name;
    }
    if (key.startsWith(QLatin1String("eye_points"))) {
        return QStringLiteral("目の位置") + row(QStringLiteral("eye_points")) + name;
    }
    if (key.startsWith(QLatin1String("table"))) return QStringLiteral("寝台");
    if (key.startsWith(QLatin1String("curtain"))) return QStringLiteral("カーテン");
    return QStringLiteral("部屋の配置");
}

QString sceneSummaryText(const SceneDescription& scene) {
    QStringList parts;
    if (!scene.shields.empty()) {
        parts << QStringLiteral("遮へい板 %1 枚").arg(scene.shields.size());
    }
    if (scene.curtain)
        parts << QStringLiteral("幅 %1 cm のカーテン").arg(number(scene.curtain->widthCm));
    if (scene.table) parts << QStringLiteral("寝台");
    if (!scene.eyePoints.empty()) {
        parts << QStringLiteral("目の位置 %1 点").arg(scene.eyePoints.size());
    }
    if (parts.isEmpty()) return QStringLiteral("なし");
    return parts.join(QStringLiteral("、"));
}

std::vector<SceneFault> roomFaults(const SceneDescription& scene, double phantomThicknessCm) {
    std::vector<SceneFault> faults = sceneFaults(scene);
    for (SceneFault& fault : sceneObjectFaults(scene, objectExtentFor(phantomThicknessCm))) {
        faults.push_back(std::move(fault));
    }
    return faults;
}

bool sceneIsEmpty(const SceneDescription& scene) { return scene == SceneDescription{}; }

}  // namespace korvana::forms
