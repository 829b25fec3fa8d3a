#include "common/MessageCatalog.h"

#include <cstdio>
#include <cstring>

#include "common/Mbcs.h"

namespace {

// --- the launcher's own situations (area 0xFF), one row per code ------------

struct LauncherRow {
    uint32_t code;
    unsigned style;
    const char* text;
};

// The tables keep one row per line and whole texts.
// clang-format off
constexpr LauncherRow kLauncherRows[] = {
    {0xFF00AA00, kStyleYesNoDefNo,
     "設定を初期状態に戻します。\r\nよろしいですか？"},
    {0xFF00AA01, kStyleYesNo,
     "自動転送フォルダに指定されたフォルダは存在しません。\r\n作成しますか？"},
    {0xFF00AA02, kStyleExclamation,
     "自動転送フォルダに指定されたフォルダはシステムフォルダのため、設定できません。\r\n\r\n"
     "別のフォルダを指定してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00AA03, kStyleExclamation,
     "転送制限サイズの入力値が設定範囲外です。\r\n100～3000MBの間で入力してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00AA04, kStyleExclamation,
     "転送制限ファイル数の入力値が設定範囲外です。\r\n20～5000個の間で入力してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00AA05, kStyleYesNoDefNo,
     "ランダム転送時の音楽ファイル入れ替え割合が0％に設定されています。\r\n"
     "このままですと、ファイル入れ替えが行われない場合がありますが、よろしいですか？"},
    {0xFF00AA06, kStyleYesNoDefNo,
     "自動転送に設定されました。\r\nSDカード内の音楽データは入れ替わる可能性があるため\r\n"
     "必要なデータはバックアップしておくことをおすすめします。\r\n\r\n今すぐ自動転送を開始しますか？"},
    {0xFF00AA07, kStyleYesNoDefNo,
     "現在転送実行中です。\r\n設定を変更すると転送を中断します。\r\n\r\n設定を変更してよろしいですか？"},
    {0xFF00AA08, kStyleExclamation,
     "設定の保存に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
     "再起動を行っても症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n"
     "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00AA09, kStyleExclamation,
     "フォルダ作成に失敗しました。\r\n指定されたフォルダの操作権限がない可能性があります。\r\n"
     "他のフォルダを指定してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB00, kStyleExclamation,
     "現在、音楽転送機能がSDカードアクセス中のため転送することは出来ません。\r\n"
     "転送方法を変更するか、しばらく経ってから操作してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB01, kStyleExclamation,
     "現在、他の機能がSDカードにアクセス中のため転送することが出来ません。\r\n"
     "しばらく経ってから操作してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB02, kStyleYesNoDefNo,
     "転送方法がマニュアル転送に設定されていません。\r\n設定を「マニュアル転送」に変更しますか？\r\n\r\n"
     "設定は音楽転送設定から再度変更できます。"},
    {0xFF00BB03, kStyleExclamation,
     "マニュアル転送を起動できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00BB04, kStyleExclamation,
     "表示ファイル数が上限(%d件)を超えました。\r\n%d件まで表示します。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB05, kStyleExclamation,
     "表示フォルダ数が上限(%d件)を超えました。\r\n%d件まで表示します。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB06, kStyleExclamation,
     "%sは認識できない、または存在しないフォルダです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB07, kStyleExclamation,
     "フォルダまたはファイル名称に非対応文字が含まれているため\r\nフォルダ内容を表示できません。\r\n"
     "名称を変更してQUILL MARCHを再起動してください。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB08, kStyleYesNoDefNo,
     "選択されたファイルを削除しますか？"},
    {0xFF00BB09, kStyleInformation,
     "削除が完了しました。"},
    {0xFF00BB0A, kStyleExclamation,
     "%sは認識できない、または存在しないフォルダです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB0B, kStyleExclamation,
     "削除に失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0C, kStyleInformation,
     "コピーが完了しました。"},
    {0xFF00BB0D, kStyleExclamation,
     "コピー元フォルダが見つかりません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0E, kStyleExclamation,
     "コピー先フォルダが見つかりません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB0F, kStyleExclamation,
     "コピーに失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB10, kStyleExclamation,
     "SDカードの容量が不足しているため、\r\nコピーを中断しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB11, kStyleExclamation,
     "5000ファイル以上は転送することが出来ません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB12, kStyleExclamation,
     "300フォルダ以上は転送することが出来ません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB13, kStyleExclamation,
     "%sは存在しないファイルです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB14, kStyleExclamation,
     "音楽を再生できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB15, kStyleExclamation,
     "%sは存在しないファイルです。\r\n\r\n(メッセージコード：%08X)"},
    {0xFF00BB16, kStyleExclamation,
     "プロパティを表示できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00BB17, kStyleInformation,
     "移動が完了しました。"},
    {0xFF00BB18, kStyleExclamation,
     "移動に失敗しました。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC01, kStyleYesNo,
     "SDカード内のデータ消去を開始します。\r\n消去を行うと、SDカードへコピーした映像データや\r\n"
     "音楽データを含む全てのデータが消去されます。\r\n必要なデータはバックアップしておくことをおすすめします。\r\n"
     "\r\n消去を開始してよろしいですか？"},
    {0xFF00CC02, kStyleInformation,
     "SDカード内データのクリアが完了しました。"},
    {0xFF00CC03, kStyleExclamation,
     "SDカード内データのクリアに失敗しました。"},
    {0xFF00CC04, kStyleYesNo,
     "指定されたフォルダは存在しません。\r\n新規作成しますか？"},
    {0xFF00CC05, kStyleExclamation,
     "指定されたフォルダは、システムフォルダのため、使用できません。\r\n別のフォルダを指定してください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00CC06, kStyleExclamation,
     "ダウンロードフォルダに有効なフォルダが指定されていません。\r\nダウンロードフォルダを入力してください。\r\n"
     "\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC07, kStyleYesNo,
     "ダウンロードフォルダのドライブは、現在空き領域が不足しており、\r\n"
     "地図データのダウンロードに失敗する場合があります。\r\n\r\nこのまま設定を保存しますか？"},
    {0xFF00CC08, kStyleYesNo,
     "設定を初期状態に戻します。\r\nよろしいですか？"},
    {0xFF00CC09, kStyleYesNo,
     "サーバーからダウンロードしたデータの消去を開始します。 \r\n\r\n消去を開始してよろしいですか？"},
    {0xFF00CC0A, kStyleInformation,
     "ダウンロードデータのクリアが完了しました。"},
    {0xFF00CC0B, kStyleExclamation,
     "ダウンロードデータのクリアに失敗しました。"},
    {0xFF00CC0C, kStyleExclamation,
     "ダウンロードフォルダが存在しません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC0D, kStyleInformation,
     "現在SDカードアクセス中のため、消去できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00CC0E, kStyleInformation,
     "現在SDカードアクセス中のため、消去できません。\r\n\r\n(メッセージコード：%08X%s)"},
    {0xFF00DD01, kStyleInformation,
     "サーバーメンテナンス中です。\r\nしばらくしてからアクセスしてください。\r\n\r\n"
     "(メッセージコード：%08X%s)"},
    {0xFF00EE01, kStyleExclamation,
     "本アプリケーションはこのOSでは動作できません。\r\n"
     "Windows 7(TM) / Windows Vista(TM) / Windows XP(TM) にて実行してください。"},
    {0xFF00EE02, kStyleInformation,
     "挿入されているSDカードはロックされています。\r\nSDカードを確認してください。"},
    {0xFF00EE03, kStyleInformation,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "4GB以上のSDHCカードをご使用ください。"},
    {0xFF00EE04, kStyleInformation,
     "SDカードが挿入されていません。"},
    {0xFF00EE05, kStyleInformation,
     "SDカードの取り外しが可能な状態になりました。"},
    {0xFF00EE06, kStyleExclamation,
     "SDカードの取り外しに失敗しました。\r\n他のアプリケーションで使用されていないかなど\r\n"
     "SDカードの状態をご確認ください。"},
    {0xFF00EE07, kStyleExclamation,
     "他の機能が起動中のため、SDを取り外しを行なえません。"},
    {0xFF00EE08, kStyleInformation,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "8GB以上のSDHCカードをご使用ください。"},
    {0xFF00EE09, kStyleInformation,
     "他のナビ情報が入ったSDカードに差し替えたため\r\nQUILL MARCH を再起動する必要があります。\r\n"
     "[OK]を押して、再起動してください。"},
    {0xFF00EE0A, kStyleInformation,
     "サポートされていないSDカードです。\r\n地図更新など一部機能がご利用頂けない場合がございますので\r\n"
     "16GB以上のSDHCカードをご使用ください。"},
};

// --- the texts of the core's and the services' outcomes ----------------------

enum TextId : uint8_t {
    kNoText,
    N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11, N12, N13, N14, N15, N16, N17, N18,
    M1, M2, M3, M4, M5, M6, M7, M8, M9, M10, M11, M12, M13, M14, M15, M16, M17, M18, M19, M20,
    M21, M22, M23, M24,
    T1, T2, T3, T4, T5, T6, T7, T8, T9,
    W1, W2, W3, W4, W5,
    S1, S2, S3,
    U1, U2, U3, U4, U5, U6, U7, U8, U9, U10, U11, U12, U13, U14,
    E1, E2, E3, E4,
    kTextCount
};

// N1 and T4 have no outcome of their own yet; they are kept so that the
// catalogue stays whole for the windows that may name them.
constexpr const char* kTexts[] = {
    /* no text */ nullptr,
    /* N1 */ "ナビ情報の送信には、お客様登録およびリアルタイムプローブ利用登録が必要です。\r\n登録を行いますか？",
    /* N2 */ "ナビ情報の送信に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n\r\n(メッセージコード：%08X%s)",
    /* N3 */ "ナビ情報の送信に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N4 */ "ナビ情報の送信に失敗しました。\r\n"
             "QUILL MARCHのアンインストールを行ない、再度SDカードをPCへ挿入しインストールを行なってください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* N5 */ "リアルタイムプローブ利用登録の期限が切れているため、\r\nナビ情報を送信できません。\r\n再度利用登録を行いますか？",
    /* N6 */ "初期登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
             "アンインストールを行い、再度インストールし初期登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* N7 */ "お客様は退会済みとなっているため、\r\nナビ情報を送信できません。\r\n"
             "ご利用になる場合は、再度お客様登録を行ってください。\r\n登録を行いますか？",
    /* N8 */ "リアルタイムプローブ利用登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
             "リアルタイムプローブ利用登録を行いますか？",
    /* N9 */ "ナビ情報を送信することが出来ません。\r\nナビゲーション本体のプローブ情報送信設定をONにしてください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* N10 */ "ナビ情報の送信に失敗しました。\r\nネットワークが正常に接続されていることを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N11 */ "ナビ情報が不正の為、ナビ情報を送信することが出来ません。\r\nQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N12 */ "ナビ情報を送信することが出来ません。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
             "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N13 */ "サーバーメンテナンス中のため、\r\nナビ情報を送信できません。\r\n"
             "お手数ですが時間をおいてから再度お試しください。\r\n\r\n(メッセージコード：%08X%s)",
    /* N14 */ "サーバーメンテナンス中のため、\r\nナビ情報の送信に失敗しました。\r\n"
             "お手数ですが時間をおいてから再度お試しください。\r\n\r\n(メッセージコード：%08X%s)",
    /* N15 */ "お客様登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
             "ご利用になる場合は、お客様登録を行ってください。\r\n登録を行いますか？\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N16 */ "初期登録の行われていないナビ情報の送信に失敗しました。\r\n"
             "ご利用になるナビゲーション毎に初期登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* N17 */ "ナビ情報の送信に失敗しました。\r\n再度お試し頂いても改善しない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* N18 */ "お客様登録が行われていないため、\r\nナビ情報を送信できません。\r\n"
             "ご利用になる場合は、お客様登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M1 */ "地図データ更新の通信に失敗しました。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M2 */ "地図データ更新の通信に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M3 */ "地図データ更新の通信に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M4 */ "地図データ更新の通信に失敗しました。\r\nQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M5 */ "ダウンロードデータが不正の為、転送を行えません。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M6 */ "ダウンロードデータが不正の為、転送を行えません。\r\nダウンロード設定よりダウンロードデータの消去を行ない\r\n"
             "QUILL MARCHを再起動してください。\r\n再起動を行っても症状が改善されない場合、\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M7 */ "ダウンロードデータが不正の為、転送を行えません。\r\nQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M8 */ "データを正常に転送できませんでした。\r\nお手数ですがQUILL MARCHを再起動してください。\r\n"
             "再起動を行っても症状が改善されない場合、\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M9 */ "地図データがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M10 */ "ナビプログラムがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M11 */ "検索データがサーバーに未登録のバージョンです。\r\n再度初期登録行っても改善しない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M12 */ "サーバーメンテナンス中です。しばらくしてからアクセスしてください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M13 */ "地図データ更新を行うにはお客様登録が必要です。\r\n\r\n(メッセージコード：%08X%s)",
    /* M14 */ "お客様は現在休会中となっております。\r\nお手数ですが販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M15 */ "お客様は退会済みとなっております。\r\nご利用になる場合は、再度お客様登録を行ってください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M16 */ "エラーが発生しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* M17 */ "地図データ更新の通信に失敗しました。\r\nインターネット環境に接続できているかご確認ください。\r\n"
             "症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* M18 */ "対象外SDカードの為、転送を行えません。\r\nサポートされているSDカードをご使用ください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M19 */ "SDメモリーカード内の空き容量不足のためデータ消去が必要です。\r\n\r\n"
             "消去を行うと、SDカードへコピーした映像データや \r\n音楽データを含む全てのデータが消去されます。\r\n"
             "必要なデータはバックアップしておくことをおすすめします。\r\n\r\n消去を開始してよろしいですか？",
    /* M20 */ "SDカード内の空き容量が不足しています。\r\nSDカード内の不要なファイルを削除した後、\r\n"
             "QUILL MARCHを再起動してください。\r\n再起動を行っても症状が改善されない場合、\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* M21 */ "SDカードが認識できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M22 */ "お客様のネットワークの通信速度では地図データ更新サービスをご利用になれません。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M23 */ "地図データ更新の通信に失敗しました。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
             "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* M24 */ "地図データ更新の通信に失敗しました。\r\n"
             "QUILL MARCHのアンインストールを行ない、再度SDカードをPCへ挿入しインストールを行なってください。\r\n"
             "\r\n\r\n(メッセージコード：%08X%s)",
    /* T1 */ "渋滞情報の取得に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き、\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* T2 */ "渋滞情報の取得に失敗しました。\r\nネットワークが正常に接続されていることを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* T3 */ "渋滞情報のデータ書込みに失敗しました。\r\nSDカードを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* T4 */ "リアルタイムプローブ利用登録が行われていないため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
             "リアルタイムプローブ渋滞情報の取得を行うためには、\r\nリアルタイムプローブ利用登録を行ってください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* T5 */ "リアルタイムプローブ利用登録の期限が切れているため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
             "リアルタイムプローブ渋滞情報の取得を行うためには、\r\n再度リアルタイムプローブ利用登録を行ってください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* T6 */ "初期登録が行われていないため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
             "リアルタイムプローブ渋滞情報の取得を行うためには、\r\nリアルタイムプローブ利用登録を行ってください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* T7 */ "退会済みのため、\r\nオンデマンドVICS情報のみの取得を行います。\r\n"
             "リアルタイムプローブ渋滞情報の取得を行うためには、\r\n"
             "お客様登録およびリアルタイムプローブ利用登録を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* T8 */ "渋滞情報の取得に失敗しました。\r\n\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* T9 */ "渋滞情報の取得に失敗しました。\r\nナビゲーション本体に再度SDカードを挿入してから\r\n"
             "QUILL MARCHを起動してください。\r\n症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* W1 */ "天気情報の取得に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* W2 */ "天気情報の取得に失敗しました。\r\nしばらくしてからアクセスして下さい。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* W3 */ "天気情報の取得に失敗しました。\r\nインターネット環境に接続できているかご確認ください。\r\n"
             "症状が改善されない場合は\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* W4 */ "天気情報の取得に失敗しました。\r\n\r\n再度、登録確認を行っても症状が改善されない場合、\r\n"
             "お手数ですがメッセージコードを控えて頂き、\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* W5 */ "天気情報のデータ書込みに失敗しました。\r\nSDカードを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* S1 */ "SDカードが認識できません。\r\nSDカードが正常に接続されていることを確認してください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* S2 */ "音楽ファイル転送処理に失敗しました。\r\nパソコンの再起動を行っても症状が改善されない場合は\r\n"
             "お手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* S3 */ "音楽ファイル転送処理に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U1 */ "SDカードの読み込みに失敗しました。\r\n\r\nSDカードが正常に接続されていることを確認して\r\n"
             "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U2 */ "お客様登録確認に失敗しました。\r\n\r\n再度、登録確認を行っても症状が改善されない場合、\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U3 */ "お客様登録確認に失敗しました。\r\n\r\nネットワークが正常に接続されていることを確認して\r\n"
             "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U4 */ "お客様登録確認に失敗しました。\r\nネットワークが正常に接続されていることを確認して\r\n"
             "再度、登録確認を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U5 */ "お客様登録確認に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
             "販売店へお問い合わせください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U6 */ "お客様登録の確認に失敗しました。\r\n過去に別のニックネームを登録済みのお客様は、\r\n"
             "以前に登録したニックネームを使用してログインしてください。\r\n\r\n"
             "過去に別のニックネームを登録していないにも関わらず\r\n登録の確認に　失敗したお客様は、恐れ入りますが以下まで\r\n"
             "お問い合わせください。\r\n\r\nコルヴェイン相談窓口\r\n"
             "ＴＥＬ：0120-000-000（フリーコール）\r\n\r\n"
             "PHS、携帯電話、一部のIP電話などからは下記へお問合わせください。\r\n"
             "一般電話：000-000-0000（有料）\r\n"
             "受付時間：月曜～土曜　9：30～12：00、13：00～17：00\r\n　　　　　　（日曜・祝日、弊社休日除く）",
    /* U7 */ "サーバーメンテナンス中です。\r\nしばらくしてからアクセスしてください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* U8 */ "お客様登録確認に失敗しました。\r\nニックネームとパスワードを確認の上、しばらくしてから\r\n"
             "ログインしてください。\r\n\r\n(メッセージコード：%08X%s)",
    /* U9 */ "お客様登録が未登録です。\r\n[OK]を押して、お客様登録/確認ボタンからお客様登録を\r\n行ってください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
    /* U10 */ "お客様は現在休会中となっております。\r\nお手数ですが販売店へお問い合わせください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* U11 */ "お客様は退会済みとなっております。\r\nご利用になる場合は、再度お客様登録を行ってください。\r\n\r\n"
             "(メッセージコード：%08X%s)",
    /* U12 */ "ニックネームが未入力です。",
    /* U13 */ "パスワードが未入力です。",
    /* U14 */ "初期設定を完了しないと、QUILL MARCHは使用開始できません。\r\n初期設定を終了しますか？",
    /* E1 */ "エラー報告が完了しました。\r\n\r\nこの報告を製品の改善に役立てます。",
    /* E2 */ "エラー報告を中断しました。\r\n次回起動時に再度行なってください。",
    /* E3 */ "エラー報告に失敗しました。\r\nネットワークが正常に接続されていることを確認して\r\n"
             "次回起動時に情報送信を行ってください。\r\n\r\n(メッセージコード：%08X%s)",
    /* E4 */ "エラー報告に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n販売店へお問い合わせください。\r\n"
             "\r\n(メッセージコード：%08X%s)",
};
// clang-format on
static_assert(sizeof kTexts / sizeof kTexts[0] == kTextCount, "one text per id");

// --- outcome rules -----------------------------------------------------------
//
// An outcome o (the low 24 bits) matches a rule when (o & mask1) lies in
// [lo1, hi1] and (o & mask2) lies in [lo2, hi2]. The rules of an area are
// tried in order and the first match wins, so exact rows come before the
// broad bit rules. cardText, when set, replaces text while a card is known.

struct OutcomeRule {
    uint8_t area;
    uint32_t mask1, lo1, hi1;
    uint32_t mask2, lo2, hi2;
    TextId text;
    unsigned style;
    TextId cardText;
};

constexpr OutcomeRule Exact(uint8_t area, uint32_t o, TextId text,
                            unsigned style = kStyleExclamation) {
    return {area, 0xFFFFFF, o, o, 0, 0, 0, text, style, kNoText};
}
constexpr OutcomeRule Range(uint8_t area, uint32_t lo, uint32_t hi, TextId text,
                            unsigned style = kStyleExclamation) {
    return {area, 0xFFFFFF, lo, hi, 0, 0, 0, text, style, kNoText};
}
// Every bit of bits set.
constexpr OutcomeRule Bits(uint8_t area, uint32_t bits, TextId text,
                           unsigned style = kStyleExclamation) {
    return {area, bits, bits, bits, 0, 0, 0, text, style, kNoText};
}
// Outcome class (bits 16 to 23) in [classLo, classHi], low 16 bits in [lowLo, lowHi].
constexpr OutcomeRule Classes(uint8_t area, uint32_t classLo, uint32_t classHi, uint32_t lowLo,
                              uint32_t lowHi, TextId text, unsigned style = kStyleExclamation) {
    return {area,  0xFF0000, classLo << 16, classHi << 16, 0xFFFF,
            lowLo, lowHi,    text,          style,         kNoText};
}
constexpr OutcomeRule Class(uint8_t area, uint32_t cls, TextId text,
                            unsigned style = kStyleExclamation) {
    return Classes(area, cls, cls, 0, 0xFFFF, text, style);
}
constexpr OutcomeRule Any(uint8_t area, TextId text, unsigned style = kStyleExclamation) {
    return {area, 0, 0, 0, 0, 0, 0, text, style, kNoText};
}
constexpr OutcomeRule WithCard(OutcomeRule rule, TextId cardText) {
    rule.cardText = cardText;
    return rule;
}

constexpr uint8_t A01 = kAreaProbeUpload, A02 = kAreaMapData, A04 = kAreaTraffic,
                  A08 = kAreaWeather, A10 = kAreaMusic, A40 = kAreaAuthentication,
                  A90 = kAreaErrorReport;

// clang-format off
constexpr OutcomeRule kRules[] = {
    // Navigation-info upload. The four registration questions open the
    // registration page on Yes.
    Exact(A01, 0x200201, N8, kStyleYesNo),
    Exact(A01, 0x200202, N5, kStyleYesNo),
    Exact(A01, 0x200205, N7, kStyleYesNo),
    Exact(A01, 0x200207, N15, kStyleYesNo),
    Exact(A01, 0x200203, N6),
    Exact(A01, 0x200204, N2),
    Exact(A01, 0x200206, N13),
    Exact(A01, 0x200299, N3),
    Exact(A01, 0x200399, N3),
    Exact(A01, 0x200401, N3),
    Exact(A01, 0x200499, N3),
    Exact(A01, 0x200301, N2),
    Exact(A01, 0x200302, N2),
    Exact(A01, 0x200402, N2),
    Exact(A01, 0x200403, N2),
    Exact(A01, 0x200303, N14),
    Exact(A01, 0x200404, N14),
    Exact(A01, 0x200304, N17),
    Exact(A01, 0x200305, N18),
    Exact(A01, 0x200405, N18),
    Exact(A01, 0x000101, N9),
    Exact(A01, 0x00010A, N16),
    Exact(A01, 0x00010B, N16),
    Exact(A01, 0x00010C, N11),
    Exact(A01, 0x00FF06, N11),
    Exact(A01, 0x00010D, N12),
    Bits(A01, 0x400000, N4),
    Bits(A01, 0x300000, N11),
    Bits(A01, 0x100000, N10),

    // Map data: the named rows first.
    Exact(A02, 0x230047, M9),
    Exact(A02, 0x230049, M10),
    Exact(A02, 0x23004D, M11),
    Exact(A02, 0x35EEEE, M18),
    Exact(A02, 0x35FF06, M21),
    Exact(A02, 0x350109, M20),
    Exact(A02, 0x30FF03, M23),
    Exact(A02, 0x430105, M24),
    Exact(A02, 0x35FFFF, M5),
    Exact(A02, 0x00EEEF, M19, kStyleYesNo),  // asked for map request type 0xEF
    // The 0x22 to 0x29 groups carry the service's error number in their low
    // 16 bits, numbered as for the user authentication: 5 maintenance, 9 not
    // registered, 0x0A suspended, 0x0B withdrawn (the withdrawn case also
    // removes the user), 0x0C an error only the dealer can look into.
    Classes(A02, 0x22, 0x29, 0x000C, 0x000C, M16),
    Classes(A02, 0x22, 0x29, 0x0005, 0x0005, M12, kStyleInformation),
    Classes(A02, 0x22, 0x29, 0x0009, 0x0009, M13, kStyleInformation),
    Classes(A02, 0x22, 0x29, 0x000A, 0x000A, M14, kStyleInformation),
    Classes(A02, 0x22, 0x29, 0x000B, 0x000B, M15, kStyleInformation),
    // The rest is ours to assign; each goes to the text that tells the user
    // what to do next:
    // - the card could not be read (0xFF06 in any class): M21, "check that
    //   the card is connected", the one step that can fix it;
    // - a transport failure (class 0x10, the HTTP engine's 0x100000 | e):
    //   M17, "check the Internet connection";
    // - any other service answer (classes 0x20 to 0x2F, malformed answers
    //   included): M2, the dealer has to look at the code;
    // - the card-side steps (classes 0x30 to 0x3F): M8, the data did not
    //   reach the card, restarting the program retries the transfer;
    // - local preparation failures (classes 0x40 to 0x4F): M4, restart the
    //   program first, then the dealer;
    // - anything else: M1, restart the PC, then the dealer.
    Classes(A02, 0x00, 0xFF, 0xFF06, 0xFF06, M21),
    Classes(A02, 0x10, 0x1F, 0x0000, 0xFFFF, M17),
    Classes(A02, 0x20, 0x2F, 0x0000, 0xFFFF, M2),
    Classes(A02, 0x30, 0x3F, 0x0000, 0xFFFF, M8),
    Classes(A02, 0x40, 0x4F, 0x0000, 0xFFFF, M4),
    Any(A02, M1),

    // Traffic information. T5 to T7 report that only the on-demand traffic
    // was fetched: information, not an error.
    Exact(A04, 0x200202, T5, kStyleInformation),
    Exact(A04, 0x200203, T6, kStyleInformation),
    Exact(A04, 0x200205, T7, kStyleInformation),
    Exact(A04, 0x40FF05, T9),
    Range(A04, 0x200010, 0x200017, T1),
    // The rest is ours to assign, among T1, T2, T3 and T8:
    // - the card could not be read (0xFF06) or a card-side step failed
    //   (classes 0x30 to 0x3F): T3, "check the SD card";
    // - a transport failure (class 0x10): T2, "check the network";
    // - any other service answer (classes 0x20 to 0x2F): T1, the dealer
    //   has to look at the code;
    // - anything else (local failures): T8, restart the PC, then the dealer.
    Classes(A04, 0x00, 0xFF, 0xFF06, 0xFF06, T3),
    Classes(A04, 0x30, 0x3F, 0x0000, 0xFFFF, T3),
    Classes(A04, 0x10, 0x1F, 0x0000, 0xFFFF, T2),
    Classes(A04, 0x20, 0x2F, 0x0000, 0xFFFF, T1),
    Any(A04, T8),

    // Weather information: by the outcome's class (bits 16 to 23).
    Classes(A08, 0x10, 0x10, 14, 14, W1),
    Classes(A08, 0x10, 0x10, 100, 505, W2),
    Class(A08, 0x10, W3),
    Class(A08, 0x30, W5),
    Exact(A08, 0x00FF06, W5),
    Any(A08, W4),

    // Music. Ours to assign, among S1, S2 and S3:
    // - the card could not be read (0xFF06) or the card group 0x35 (as in
    //   the map data): S1, "check that the card is connected";
    // - a service answer (classes 0x20 to 0x2F): S3, the dealer has to look
    //   at the code;
    // - anything else: S2, restart the PC first, then the dealer.
    Classes(A10, 0x00, 0xFF, 0xFF06, 0xFF06, S1),
    Class(A10, 0x35, S1),
    Classes(A10, 0x20, 0x2F, 0x0000, 0xFFFF, S3),
    Any(A10, S2),

    // User authentication.
    Range(A40, 0x200001, 0x200003, U4),
    Exact(A40, 0x200012, U4),
    Exact(A40, 0x200004, U5),
    Exact(A40, 0x200008, U5),
    Exact(A40, 0x20000C, U5),
    Exact(A40, 0x200063, U5),
    Exact(A40, 0x200005, U7, kStyleInformation),
    Exact(A40, 0x200006, U8),
    // The nickname is already taken. With a card inserted the unit is known,
    // so the user most likely registered it before under another nickname:
    // U6 explains that and where to call; without a card U5 (dealer).
    WithCard(Exact(A40, 0x200007, U5), U6),
    Exact(A40, 0x200009, U9),
    Exact(A40, 0x20000A, U10),
    Exact(A40, 0x20000B, U11, kStyleInformation),
    Exact(A40, 0x400001, U2),
    Exact(A40, 0x40FF05, U2),
    Exact(A40, 0x40FFFF, U2),
    Exact(A40, 0x00FF06, U1),
    Exact(A40, 0x30FF06, U1),
    Exact(A40, 0x000002, U12, kStyleInformation),
    Exact(A40, 0x000003, U13, kStyleInformation),
    Exact(A40, 0x000004, U14, kStyleYesNoDefNo),
    Bits(A40, 0x100000, U3),

    // Error report (application log upload); outcome 0 is the success text.
    Exact(A90, 0x000000, E1, kStyleInformation),
    Exact(A90, 0x00FF00, E2, kStyleInformation),
    Exact(A90, 0x200018, E1, kStyleInformation),
    Exact(A90, 0x000011, E4),
    Range(A90, 0x200003, 0x200005, E4),
    Exact(A90, 0x200012, E4),
    Exact(A90, 0x200063, E4),
    Exact(A90, 0x40FF04, E4),
    Exact(A90, 0x40FF05, E4),
    Exact(A90, 0x40FFA0, E4),
    Exact(A90, 0x40FFA1, E4),
    Exact(A90, 0x40FFFF, E4),
    Range(A90, 0x600001, 0x600009, E4),
    Bits(A90, 0x100000, E3),
};
// clang-format on

constexpr const char kCodeMarker[] = "\r\n\r\n(メッセージコード：";
constexpr const char kOnlineHelp[] = "\r\n詳細はオンラインヘルプを参照してください。";

bool InRange(uint32_t value, uint32_t mask, uint32_t lo, uint32_t hi) {
    const uint32_t v = value & mask;
    return v >= lo && v <= hi;
}

// Fills the marker's "%08X" with the code and a following "%s" with the
// error suffix; the text before the marker is kept as it is.
std::string FillMarker(const char* text, size_t markerAt, uint32_t code, const char* suffix) {
    // The marker itself is copied whole; what follows it is the conversions
    // and the closing bracket.
    const size_t tail = markerAt + sizeof kCodeMarker - 1;
    std::string out(text, tail);
    const char* p = text + tail;
    while (*p) {
        if (IsCp932LeadByte(static_cast<unsigned char>(*p)) && p[1]) {
            out.append(p, 2);
            p += 2;
        } else if (std::strncmp(p, "%08X", 4) == 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
            out += hex;
            p += 4;
        } else if (std::strncmp(p, "%s", 2) == 0) {
            out += suffix;
            p += 2;
        } else {
            out += *p++;
        }
    }
    return out;
}

struct CatalogEntry {
    const char* text = nullptr;
    unsigned style = kStyleExclamation;
};

CatalogEntry Lookup(uint32_t code, bool cardKnown) {
    const uint32_t area = code >> 24;
    const uint32_t outcome = code & 0xFFFFFF;
    CatalogEntry entry;
    if (area == kAreaLauncher) {
        for (const LauncherRow& row : kLauncherRows)
            if (row.code == code) return {row.text, row.style};
        return entry;
    }
    for (const OutcomeRule& rule : kRules) {
        if (rule.area != area || !InRange(outcome, rule.mask1, rule.lo1, rule.hi1) ||
            !InRange(outcome, rule.mask2, rule.lo2, rule.hi2))
            continue;
        const TextId id = (cardKnown && rule.cardText != kNoText) ? rule.cardText : rule.text;
        return {kTexts[id], rule.style};
    }
    return entry;
}

}  // namespace

std::string GetMessageText(uint32_t code, uint32_t windowsError, unsigned& style,
                           uint32_t navAppAttribute, uint32_t modelCode) {
    const uint32_t area = code >> 24;
    if ((code & 0xFFFFFF) == 0 && area != kAreaErrorReport) return std::string();
    const CatalogEntry entry = Lookup(code, navAppAttribute != 0 || modelCode != 0);
    if (!entry.text) return std::string();
    style = entry.style;

    const char* marker = std::strstr(entry.text, kCodeMarker);
    if (!marker) return entry.text;
    char suffix[16] = "";
    if (windowsError)
        std::snprintf(suffix, sizeof suffix, "-%X", static_cast<unsigned>(windowsError));
    std::string text =
        FillMarker(entry.text, static_cast<size_t>(marker - entry.text), code, suffix);
    if (area != kAreaAuthentication) text += kOnlineHelp;
    return text;
}
