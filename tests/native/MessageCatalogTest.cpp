// The message catalogue: every launcher row, every named outcome of every
// area and the broad rules with their boundaries, checked for text, style and
// formatting against a copy of the texts kept here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/MessageCatalog.h"

namespace {

constexpr unsigned kExcl = 0x30, kInfo = 0x40, kYesNo = 0x24, kYesNoDefNo = 0x124;
constexpr unsigned kUntouched = 0xDEAD;

struct LauncherCase {
    uint32_t code;
    unsigned style;
    const char* text;
};
// One case per row, whole texts.
// clang-format off
const LauncherCase kLauncher[] = {
    {0xFF00AA00, kYesNoDefNo,
     "設定を初期状態に戻します。\r\nよろしいですか？"},
    {0xFF00AA01, kYesNo,
     "自動転送フォルダに指定されたフォルダは存在しません。\r\n作成しますか？"},
    {0xFF00AA02, kExcl,
     "自動転送フォルダに指定されたフォルダはシステムフォルダのため、設定できません。\r\n\r\n"
     "別のフォルダを指定してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00AA03, kExcl,
     "転送制限サイズの入力値が設定範囲外です。\r\n100～3000MBの間で入力してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00AA04, kExcl,
     "転送制限ファイル数の入力値が設定範囲外です。\r\n20～5000個の間で入力してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00AA05, kYesNoDefNo,
     "ランダム転送時の音楽ファイル入れ替え割合が0％に設定されています。\r\n"
     "このままですと、ファイル入れ替えが行われない場合がありますが、よろしいですか？"},
    {0xFF00AA06, kYesNoDefNo,
     "自動転送に設定されました。\r\nSDカード内の音楽データは入れ替わる可能性があるため\r\n"
     "必要なデータはバックアップしておくことをおすすめします。\r\n\r\n今すぐ自動転送を開始しますか？"},
    {0xFF00AA07, kYesNoDefNo,
     "現在転送実行中です。\r\n設定を変更すると転送を中断します。\r\n\r\n設定を変更してよろしいですか？"},
    {0xFF00AA08, kExcl,
     "設定の保存に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
     "再起動を行っても症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n"
     "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00AA09, kExcl,
     "フォルダ作成に失敗しました。\r\n指定されたフォルダの操作権限がない可能性があります。\r\n"
     "他のフォルダを指定してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB00, kExcl,
     "現在、音楽転送機能がSDカードアクセス中のため転送することは出来ません。\r\n"
     "転送方法を変更するか、しばらく経ってから操作してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB01, kExcl,
     "現在、他の機能がSDカードにアクセス中のため転送することが出来ません。\r\n"
     "しばらく経ってから操作してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB02, kYesNoDefNo,
     "転送方法がマニュアル転送に設定されていません。\r\n設定を「マニュアル転送」に変更しますか？\r\n\r\n"
     "設定は音楽転送設定から再度変更できます。"},
    {0xFF00BB03, kExcl,
     "マニュアル転送を起動できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00BB04, kExcl,
     "表示ファイル数が上限(%d件)を超えました。\r\n%d件まで表示します。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB05, kExcl,
     "表示フォルダ数が上限(%d件)を超えました。\r\n%d件まで表示します。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB06, kExcl,
     "%sは認識できない、または存在しないフォルダです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB07, kExcl,
     "フォルダまたはファイル名称に非対応文字が含まれているため\r\nフォルダ内容を表示できません。\r\n"
     "名称を変更してQUILL MARCHを再起動してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB08, kYesNoDefNo,
     "選択されたファイルを削除しますか？"},
    {0xFF00BB09, kInfo,
     "削除が完了しました。"},
    {0xFF00BB0A, kExcl,
     "%sは認識できない、または存在しないフォルダです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB0B, kExcl,
     "削除に失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0C, kInfo,
     "コピーが完了しました。"},
    {0xFF00BB0D, kExcl,
     "コピー元フォルダが見つかりません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0E, kExcl,
     "コピー先フォルダが見つかりません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0F, kExcl,
     "コピーに失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB10, kExcl,
     "SDカードの容量が不足しているため、\r\nコピーを中断しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB11, kExcl,
     "5000ファイル以上は転送することが出来ません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB12, kExcl,
     "300フォルダ以上は転送することが出来ません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB13, kExcl,
     "%sは存在しないファイルです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB14, kExcl,
     "音楽を再生できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB15, kExcl,
     "%sは存在しないファイルです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB16, kExcl,
     "プロパティを表示できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB17, kInfo,
     "移動が完了しました。"},
    {0xFF00BB18, kExcl,
     "移動に失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC01, kYesNo,
     "SDカード内のデータ消去を開始します。\r\n消去を行うと、SDカードへコピーした映像データや\r\n"
     "音楽データを含む全てのデータが消去されます。\r\n必要なデータはバックアップしておくことをおすすめします。\r\n"
     "\r\n消去を開始してよろしいですか？"},
    {0xFF00CC02, kInfo,
     "SDカード内データのクリアが完了しました。"},
    {0xFF00CC03, kExcl,
     "SDカード内データのクリアに失敗しました。"},
    {0xFF00CC04, kYesNo,
     "指定されたフォルダは存在しません。\r\n新規作成しますか？"},
    {0xFF00CC05, kExcl,
     "指定されたフォルダは、システムフォルダのため、使用できません。\r\n別のフォルダを指定してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00CC06, kExcl,
     "ダウンロードフォルダに有効なフォルダが指定されていません。\r\nダウンロードフォルダを入力してください。\r\n"
     "\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC07, kYesNo,
     "ダウンロードフォルダのドライブは、現在空き領域が不足しており、\r\n"
     "地図データのダウンロードに失敗する場合があります。\r\n\r\nこのまま設定を保存しますか？"},
    {0xFF00CC08, kYesNo,
     "設定を初期状態に戻します。\r\nよろしいですか？"},
    {0xFF00CC09, kYesNo,
     "サーバーからダウンロードしたデータの消去を開始します。 \r\n\r\n消去を開始してよろしいですか？"},
    {0xFF00CC0A, kInfo,
     "ダウンロードデータのクリアが完了しました。"},
    {0xFF00CC0B, kExcl,
     "ダウンロードデータのクリアに失敗しました。"},
    {0xFF00CC0C, kExcl,
     "ダウンロードフォルダが存在しません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC0D, kInfo,
     "現在SDカードアクセス中のため、消去できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC0E, kInfo,
     "現在SDカードアクセス中のため、消去できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00DD01, kInfo,
     "サーバーメンテナンス中です。\r\nしばらくしてからアクセスしてください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00EE01, kExcl,
     "本アプリケーションはこのOSでは動作できません。\r\n"
     "Windows 7(TM) / Windows Vista(TM) / Windows XP(TM) にて実行してください。"},
    {0xFF00EE02, kInfo,
     "挿入されているSDカードはロックされています。\r\nSDカードを確認してください。"},
    {0xFF00EE03, kInfo,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "4GB以上のSDHCカードをご使用ください。"},
    {0xFF00EE04, kInfo,
     "SDカードが挿入されていません。"},
    {0xFF00EE05, kInfo,
     "SDカードの取り外しが可能な状態になりました。"},
    {0xFF00EE06, kExcl,
     "SDカードの取り外しに失敗しました。\r\n他のアプリケーションで使用されていないかなど\r\n"
     "SDカードの状態をご確認ください。"},
    {0xFF00EE07, kExcl,
     "他の機能が起動中のため、SDを取り外しを行なえません。"},
    {0xFF00EE08, kInfo,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "8GB以上のSDHCカードをご使用ください。"},
    {0xFF00EE09, kInfo,
     "他のナビ情報が入ったSDカードに差し替えたため\r\nQUILL MARCH を再起動する必要があります。\r\n"
     "[OK]を押して、再起動してください。"},
    {0xFF00EE0A, kInfo,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "16GB以上のSDHCカードをご使用ください。"},
};

struct NamedText {
    const char* name;
    const char* text;
};
const NamedText kTextTable[] = {
    {"N2", "ナビ情報の送信に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n\r\n(メッセージコード：%08X%s)"},
    {"N3", "ナビ情報の送信に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
      "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N4", "ナビ情報の送信に失敗しました。\r\n"
      "QUILL MARCHのアンインストールを行ない、再度SDカードをPCへ挿入しインストールを行なってください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"N5", "リアルタイムプローブ利用登録の期限が切れているため、\r\nナビ情報を送信できません。\r\n再度利用登録を行いますか？"},
    {"N6", "初期登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
      "アンインストールを行い、再度インストールし初期登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"N7", "お客様は退会済みとなっているため、\r\nナビ情報を送信できません。\r\n"
      "ご利用になる場合は、再度お客様登録を行ってください。\r\n登録を行いますか？"},
    {"N8", "リアルタイムプローブ利用登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
      "リアルタイムプローブ利用登録を行いますか？"},
    {"N9", "ナビ情報を送信することが出来ません。\r\nナビゲーション本体のプローブ情報送信設定をONにしてください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"N10", "ナビ情報の送信に失敗しました。\r\nネットワークが正常に接続されていることを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N11", "ナビ情報が不正の為、ナビ情報を送信することが出来ません。\r\nQUILL MARCHを再起動してください。\r\n"
      "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N12", "ナビ情報を送信することが出来ません。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
      "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N13", "サーバーメンテナンス中のため、\r\nナビ情報を送信できません。\r\n"
      "お手数ですが時間をおいてから再度お試しください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"N14", "サーバーメンテナンス中のため、\r\nナビ情報の送信に失敗しました。\r\n"
      "お手数ですが時間をおいてから再度お試しください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"N15", "お客様登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
      "ご利用になる場合は、お客様登録を行ってください。\r\n登録を行いますか？\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N16", "初期登録の行われていないナビ情報の送信に失敗しました。\r\n"
      "ご利用になるナビゲーション毎に初期登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"N17", "ナビ情報の送信に失敗しました。\r\n再度お試し頂いても改善しない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"N18", "お客様登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
      "ご利用になる場合は、お客様登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M1", "地図データ更新の通信に失敗しました。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M2", "地図データ更新の通信に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M4", "地図データ更新の通信に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
      "再起動を行っても症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M5", "ダウンロードデータが不正の為、転送を行えません。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M8", "データを正常に転送できませんでした。\r\nお手数ですがQUILL MARCHを再起動してください。\r\n"
      "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M9", "地図データがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M10", "ナビプログラムがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M11", "検索データがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M12", "サーバーメンテナンス中です。しばらくしてからアクセスしてください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M13", "地図データ更新を行うにはお客様登録が必要です。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M14", "お客様は現在休会中となっております。\r\nお手数ですが販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M15", "お客様は退会済みとなっております。\r\nご利用になる場合は、再度お客様登録を行ってください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M16", "エラーが発生しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"M17", "地図データ更新の通信に失敗しました。\r\nインターネット環境に接続できているかご確認ください。\r\n"
      "症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"M18", "対象外SDカードの為、転送を行えません。\r\nサポートされているSDカードをご使用ください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M19", "SDメモリーカード内の空き容量不足のためデータ消去が必要です。\r\n\r\n"
      "消去を行うと、SDカードへコピーした映像データや \r\n音楽データを含む全てのデータが消去されます。\r\n"
      "必要なデータはバックアップしておくことをおすすめします。\r\n\r\n消去を開始してよろしいですか？"},
    {"M20", "SDカード内の空き容量が不足しています。\r\nSDカード内の不要なファイルを削除した後、\r\n"
      "QUILL MARCHを再起動してください。\r\n再起動を行っても症状が改善されない場合、\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"M21", "SDカードが認識できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M23", "地図データ更新の通信に失敗しました。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
      "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"M24", "地図データ更新の通信に失敗しました。\r\n"
      "QUILL MARCHのアンインストールを行ない、再度SDカードをPCへ挿入しインストールを行なってください。\r\n"
      "\r\n\r\n(メッセージコード：%08X%s)"},
    {"T1", "渋滞情報の取得に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き、\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"T2", "渋滞情報の取得に失敗しました。\r\nネットワークが正常に接続されていることを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"T3", "渋滞情報のデータ書込みに失敗しました。\r\nSDカードを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"T5", "リアルタイムプローブ利用登録の期限が切れているため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
      "リアルタイムプローブ渋滞情報の取得を行うためには、\r\n再度リアルタイムプローブ利用登録を行ってください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"T6", "初期登録が行われていないため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
      "リアルタイムプローブ渋滞情報の取得を行うためには、\r\nリアルタイムプローブ利用登録を行ってください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"T7", "退会済みのため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
      "リアルタイムプローブ渋滞情報の取得を行うためには、\r\n"
      "お客様登録およびリアルタイムプローブ利用登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"T8", "渋滞情報の取得に失敗しました。\r\n\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"T9", "渋滞情報の取得に失敗しました。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
      "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"W1", "天気情報の取得に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"W2", "天気情報の取得に失敗しました。\r\nしばらくしてからアクセスして下さい。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"W3", "天気情報の取得に失敗しました。\r\nインターネット環境に接続できているかご確認ください。\r\n"
      "症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"W4", "天気情報の取得に失敗しました。\r\n\r\n再度、登録確認を行っても症状が改善されない場合、\r\n"
      "お手数ですがメッセージコードを控えて頂き、\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"W5", "天気情報のデータ書込みに失敗しました。\r\nSDカードを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"S1", "SDカードが認識できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"S2", "音楽ファイル転送処理に失敗しました。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
      "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"S3", "音楽ファイル転送処理に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U1", "SDカードの読み込みに失敗しました。\r\n\r\nSDカードが正常に接続されていることを確認して\r\n"
      "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U2", "お客様登録確認に失敗しました。\r\n\r\n再度、登録確認を行っても症状が改善されない場合、\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U3", "お客様登録確認に失敗しました。\r\n\r\nネットワークが正常に接続されていることを確認して\r\n"
      "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U4", "お客様登録確認に失敗しました。\r\nネットワークが正常に接続されていることを確認して\r\n"
      "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U5", "お客様登録確認に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
      "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U6", "お客様登録の確認に失敗しました。\r\n過去に別のニックネームを登録済みのお客様は、\r\n"
      "以前に登録したニックネームを使用してログインしてください。\r\n\r\n"
      "過去に別のニックネームを登録していないにも関わらず\r\n登録の確認に　失敗したお客様は、恐れ入りますが以下まで\r\n"
      "お問い合わせください。\r\n\r\nコルヴェイン相談窓口\r\n"
      "ＴＥＬ：0120-000-000（フリーコール）\r\n\r\n"
      "PHS、携帯電話、一部のIP電話などからは下記へお問合わせください。\r\n"
      "一般電話：000-000-0000（有料）\r\n"
      "受付時間：月曜～土曜　9：30～12：00、13：00～17：00\r\n　　　　　　（日曜・祝日、弊社休日除く）"},
    {"U7", "サーバーメンテナンス中です。\r\nしばらくしてからアクセスしてください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"U8", "お客様登録確認に失敗しました。\r\nニックネームとパスワードを確認の上、しばらくしてから\r\n"
      "ログインしてください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"U9", "お客様登録が未登録です。\r\n[OK]を押して、お客様登録/確認ボタンからお客様登録を\r\n行ってください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
    {"U10", "お客様は現在休会中となっております。\r\nお手数ですが販売店へお問い合わせください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"U11", "お客様は退会済みとなっております。\r\nご利用になる場合は、再度お客様登録を行ってください。\r\n\r\n"
      "(メッセージコード：%08X%s)"},
    {"U12", "ニックネームが未入力です。"},
    {"U13", "パスワードが未入力です。"},
    {"U14", "初期設定を完了しないと、QUILL MARCHは使用開始できません。\r\n初期設定を終了しますか？"},
    {"E1", "エラー報告が完了しました。\r\n\r\nこの報告を製品の改善に役立てます。"},
    {"E2", "エラー報告を中断しました。\r\n次回起動時に再度行なってください。"},
    {"E3", "エラー報告に失敗しました。\r\nネットワークが正常に接続されていることを確認して\r\n"
      "次回起動時に情報送信を行ってください。\r\n\r\n(メッセージコード：%08X%s)"},
    {"E4", "エラー報告に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
      "\r\n(メッセージコード：%08X%s)"},
};

const char* TextOf(const std::string& name) {
    for (const NamedText& t : kTextTable)
        if (name == t.name) return t.text;
    ADD_FAILURE() << "no text " << name;
    return "";
}

const char kMarker[] = "\r\n\r\n(メッセージコード：";
const char kHelp[] = "\r\n詳細はオンラインヘルプを参照してください。";

// What a catalogue text must become: the conversions after the marker get the
// padded code and the "-%X" error suffix (where the text takes one), the
// caller's own conversions before it stay, and the online-help line follows
// outside area 0x40. Texts without the marker come back untouched.
std::string Expected(const char* text, uint32_t code, uint32_t err) {
    const char* markerAt = std::strstr(text, kMarker);
    if (!markerAt) return text;
    std::string tail = markerAt;
    char fill[32];
    const bool takesSuffix = tail.find("%08X%s") != std::string::npos;
    if (takesSuffix && err)
        std::snprintf(fill, sizeof fill, "%08X-%X", code, err);
    else
        std::snprintf(fill, sizeof fill, "%08X", code);
    tail.replace(tail.find("%08X"), takesSuffix ? 6 : 4, fill);
    std::string out = std::string(text, markerAt) + tail;
    if ((code >> 24) != 0x40) out += kHelp;
    return out;
}

struct AreaCase {
    uint32_t code;
    const char* text;  // name in kTextTable, or "" for no message
    unsigned style;
};

// clang-format on

// Every named outcome, plus samples of each broad rule and its edges.
// clang-format off
const AreaCase kAreaCases[] = {
    // --- 0x01 navigation-info upload ---
    {0x01200201, "N8", kYesNo}, {0x01200202, "N5", kYesNo}, {0x01200205, "N7", kYesNo},
    {0x01200207, "N15", kYesNo}, {0x01200203, "N6", kExcl}, {0x01200204, "N2", kExcl},
    {0x01200206, "N13", kExcl}, {0x01200299, "N3", kExcl}, {0x01200399, "N3", kExcl},
    {0x01200401, "N3", kExcl}, {0x01200499, "N3", kExcl}, {0x01200301, "N2", kExcl},
    {0x01200302, "N2", kExcl}, {0x01200402, "N2", kExcl}, {0x01200403, "N2", kExcl},
    {0x01200303, "N14", kExcl}, {0x01200404, "N14", kExcl}, {0x01200304, "N17", kExcl},
    {0x01200305, "N18", kExcl}, {0x01200405, "N18", kExcl}, {0x01000101, "N9", kExcl},
    {0x0100010A, "N16", kExcl}, {0x0100010B, "N16", kExcl}, {0x0100010C, "N11", kExcl},
    {0x0100FF06, "N11", kExcl}, {0x0100010D, "N12", kExcl},
    // bit 0x400000 wins over the 0x300000 pair, which wins over 0x100000
    {0x01400000 | 0x05, "N4", kExcl}, {0x01700001, "N4", kExcl}, {0x01C00000 | 1, "N4", kExcl},
    {0x01300001, "N11", kExcl}, {0x01B00007, "N11", kExcl}, {0x01100001, "N10", kExcl},
    {0x011001F7, "N10", kExcl}, {0x01200001, "", 0}, {0x0100010E, "", 0}, {0x01000001, "", 0},
    {0x01200200, "", 0}, {0x01200208, "", 0},

    // --- 0x02 map data ---
    {0x02230047, "M9", kExcl}, {0x02230049, "M10", kExcl}, {0x0223004D, "M11", kExcl},
    {0x0235EEEE, "M18", kExcl}, {0x0235FF06, "M21", kExcl}, {0x02350109, "M20", kExcl},
    {0x0230FF03, "M23", kExcl}, {0x02430105, "M24", kExcl}, {0x0235FFFF, "M5", kExcl},
    {0x0200EEEF, "M19", kYesNo},
    {0x0222000C, "M16", kExcl}, {0x0225000C, "M16", kExcl}, {0x0229000C, "M16", kExcl},
    {0x02220005, "M12", kInfo}, {0x02290005, "M12", kInfo}, {0x02230009, "M13", kInfo},
    {0x0224000A, "M14", kInfo}, {0x0223000B, "M15", kInfo}, {0x0229000B, "M15", kInfo},
    // just outside the groups: the general rules
    {0x0221000C, "M2", kExcl}, {0x022A000C, "M2", kExcl}, {0x0221000B, "M2", kExcl},
    {0x022A0005, "M2", kExcl}, {0x02230FFF, "M2", kExcl}, {0x0223010C, "M2", kExcl},
    {0x0200FF06, "M21", kExcl}, {0x0210FF06, "M21", kExcl}, {0x02100000 | 0x1F7, "M17", kExcl},
    {0x021F0001, "M17", kExcl}, {0x02350001, "M8", kExcl}, {0x0230FF04, "M8", kExcl},
    {0x0240FF05, "M4", kExcl}, {0x024FFFFF, "M4", kExcl}, {0x02000001, "M1", kExcl},
    {0x0250FFFF, "M1", kExcl}, {0x02FFFFFF, "M1", kExcl}, {0x0200EEEE, "M1", kExcl},

    // --- 0x04 traffic information ---
    {0x04200202, "T5", kInfo}, {0x04200203, "T6", kInfo}, {0x04200205, "T7", kInfo},
    {0x0440FF05, "T9", kExcl}, {0x04200010, "T1", kExcl}, {0x04200013, "T1", kExcl},
    {0x04200017, "T1", kExcl}, {0x04200018, "T1", kExcl}, {0x0420000F, "T1", kExcl},
    {0x04200204, "T1", kExcl}, {0x04100001, "T2", kExcl}, {0x041001F7, "T2", kExcl},
    {0x0400FF06, "T3", kExcl}, {0x0435FF06, "T3", kExcl}, {0x04300001, "T3", kExcl},
    {0x0440FF04, "T8", kExcl}, {0x04000001, "T8", kExcl}, {0x04600001, "T8", kExcl},

    // --- 0x08 weather information ---
    {0x0810000E, "W1", kExcl}, {0x08100064, "W2", kExcl}, {0x08100100, "W2", kExcl},
    {0x081001F9, "W2", kExcl}, {0x08100063, "W3", kExcl}, {0x081001FA, "W3", kExcl},
    {0x0810000D, "W3", kExcl}, {0x0810000F, "W3", kExcl}, {0x0810FF06, "W3", kExcl},
    {0x08300000, "W5", kExcl}, {0x0830FFFF, "W5", kExcl}, {0x0820000E, "W4", kExcl},
    {0x08200064, "W4", kExcl}, {0x0840FF05, "W4", kExcl}, {0x0800FF06, "W5", kExcl},
    {0x0800FF05, "W4", kExcl}, {0x08000001, "W4", kExcl}, {0x0800FFFF, "W4", kExcl},
    {0x08110064, "W4", kExcl},

    // --- 0x10 music ---
    {0x1000FF06, "S1", kExcl}, {0x1035FF06, "S1", kExcl}, {0x10350001, "S1", kExcl},
    {0x10200001, "S3", kExcl}, {0x102F0000, "S3", kExcl}, {0x10000001, "S2", kExcl},
    {0x10100001, "S2", kExcl}, {0x1040FF05, "S2", kExcl}, {0x10340001, "S2", kExcl},

    // --- 0x40 user authentication (no card: U5 for 0x200007) ---
    {0x40200001, "U4", kExcl}, {0x40200002, "U4", kExcl}, {0x40200003, "U4", kExcl},
    {0x40200012, "U4", kExcl}, {0x40200004, "U5", kExcl}, {0x40200008, "U5", kExcl},
    {0x4020000C, "U5", kExcl}, {0x40200063, "U5", kExcl}, {0x40200005, "U7", kInfo},
    {0x40200006, "U8", kExcl}, {0x40200007, "U5", kExcl}, {0x40200009, "U9", kExcl},
    {0x4020000A, "U10", kExcl}, {0x4020000B, "U11", kInfo}, {0x40400001, "U2", kExcl},
    {0x4040FF05, "U2", kExcl}, {0x4040FFFF, "U2", kExcl}, {0x4000FF06, "U1", kExcl},
    {0x4030FF06, "U1", kExcl}, {0x40000002, "U12", kInfo}, {0x40000003, "U13", kInfo},
    {0x40000004, "U14", kYesNoDefNo},
    {0x401001F7, "U3", kExcl}, {0x40100000 | 0x2EE2, "U3", kExcl}, {0x40200000, "", 0},
    {0x40200013, "", 0}, {0x40300001, "U3", kExcl}, {0x40F00000, "U3", kExcl}, {0x40000001, "", 0},
    {0x4040FF04, "", 0}, {0x40000005, "", 0}, {0x4000FF00, "", 0},

    // --- 0x90 error report ---
    {0x90000000, "E1", kInfo}, {0x9000FF00, "E2", kInfo}, {0x90200018, "E1", kInfo},
    {0x90000011, "E4", kExcl}, {0x90200003, "E4", kExcl}, {0x90200004, "E4", kExcl},
    {0x90200005, "E4", kExcl}, {0x90200012, "E4", kExcl}, {0x90200063, "E4", kExcl},
    {0x9040FF04, "E4", kExcl}, {0x9040FF05, "E4", kExcl}, {0x9040FFA0, "E4", kExcl},
    {0x9040FFA1, "E4", kExcl}, {0x9040FFFF, "E4", kExcl}, {0x90600001, "E4", kExcl},
    {0x90600005, "E4", kExcl}, {0x90600009, "E4", kExcl},
    {0x90200002, "", 0}, {0x90200006, "", 0}, {0x90300002, "E3", kExcl}, {0x90100000 | 0x1F7, "E3", kExcl},
    {0x9060000A, "", 0}, {0x90600000, "", 0}, {0x9040FF06, "", 0}, {0x90000010, "", 0},
    {0x90000001, "", 0},

    // --- areas without a catalogue ---
    {0x03200201, "", 0}, {0x20000001, "", 0}, {0x00000001, "", 0}, {0x80200001, "", 0},
    {0xFE00AA00, "", 0},
    // outcome zero: no text, except the error report's "done"
    {0x01000000, "", 0}, {0x02000000, "", 0}, {0x04000000, "", 0}, {0x08000000, "", 0},
    {0x10000000, "", 0}, {0x40000000, "", 0}, {0xFF000000, "", 0}, {0x00000000, "", 0},
};
// clang-format on

}  // namespace

TEST(MessageCatalog, EveryLauncherRow) {
    for (const LauncherCase& c : kLauncher) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        for (uint32_t err : {0u, 0x5u, 0x80070005u}) {
            unsigned style = kUntouched;
            EXPECT_EQ(GetMessageText(c.code, err, style), Expected(c.text, c.code, err));
            EXPECT_EQ(style, c.style);
        }
    }
}

TEST(MessageCatalog, EveryAreaOutcomeAndCodesWithoutText) {
    for (const AreaCase& c : kAreaCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.text);
        for (uint32_t err : {0u, 0x1Fu, 0xFFFFFFFFu}) {
            unsigned style = kUntouched;
            const std::string text = GetMessageText(c.code, err, style);
            EXPECT_EQ(text, *c.text ? Expected(TextOf(c.text), c.code, err) : "");
            EXPECT_EQ(style, *c.text ? c.style : kUntouched);
        }
    }
    for (uint32_t code : {0xFF00AA0Au, 0xFF00BB19u, 0xFF00CC00u, 0xFF00CC0Fu, 0xFF00DD00u,
                          0xFF00DD02u, 0xFF00EE00u, 0xFF00EE0Bu, 0xFF01AA00u, 0xFFFFFFFFu}) {
        unsigned style = kUntouched;
        EXPECT_EQ(GetMessageText(code, 0, style), "") << std::hex << code;
        EXPECT_EQ(style, kUntouched);
    }
}

TEST(MessageCatalog, NicknameTakenDependsOnTheCard) {
    unsigned style = kUntouched;
    EXPECT_EQ(GetMessageText(0x40200007, 0x1F, style, 0x20, 0x12), TextOf("U6"));
    EXPECT_EQ(style, kExcl);
    EXPECT_EQ(GetMessageText(0x40200007, 0, style, 0, 0x0A), TextOf("U6"));
    EXPECT_EQ(GetMessageText(0x40200007, 0, style, 0x01, 0), TextOf("U6"));
    EXPECT_EQ(GetMessageText(0x40200007, 0, style, 0, 0), Expected(TextOf("U5"), 0x40200007, 0));
    // The card changes nothing elsewhere.
    EXPECT_EQ(GetMessageText(0x40200004, 0, style, 0x20, 0x12),
              Expected(TextOf("U5"), 0x40200004, 0));
}

TEST(MessageCatalog, ExactBytesOfTheFormattedTail) {
    // Written out rather than built with printf: padded upper-case code,
    // unpadded upper-case error, and the Shift-JIS bytes ("表" is 0x95 0x5C).
    unsigned style = 0;
    const std::string text = GetMessageText(0x0200000A, 0xABCDEF, style);
    const std::string tail =
        "(メッセージコード：0200000A-ABCDEF)\r\n詳細はオンラインヘルプを参照してください。";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    const std::string t = GetMessageText(0xFF00BB04, 0, style);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(t[0]), 0x95);
    EXPECT_EQ(static_cast<unsigned char>(t[1]), 0x5C);
}
