<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CommandLine</name>
    <message>
        <source>詳しくは tarn --help を見てください。</source>
        <translation>See tarn --help for details.</translation>
    </message>
    <message>
        <source>部品を読み込めません: %1</source>
        <translation>Cannot read the part: %1</translation>
    </message>
    <message>
        <source>%1 に書き込めません（%2）</source>
        <translation>Cannot write %1 (%2)</translation>
    </message>
    <message>
        <source>%1 には出力ファイルを指定してください</source>
        <translation>%1 needs an output file</translation>
    </message>
    <message>
        <source>%1 には出力フォルダを指定してください</source>
        <translation>%1 needs an output folder</translation>
    </message>
    <message>
        <source>--format は bmp、png、jpg のどれかです</source>
        <translation>--format is one of bmp, png, jpg</translation>
    </message>
    <message>
        <source>--quality は 1 から 100 までの整数です</source>
        <translation>--quality is a whole number from 1 to 100</translation>
    </message>
    <message>
        <source>知らないオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>シーンファイルを指定してください</source>
        <translation>Name a scene file</translation>
    </message>
    <message>
        <source>-o と --out-dir のどちらか一つを指定してください</source>
        <translation>Give exactly one of -o and --out-dir</translation>
    </message>
    <message>
        <source>シーンが複数のときは --out-dir を使ってください</source>
        <translation>Use --out-dir for more than one scene</translation>
    </message>
    <message>
        <source>出力フォルダを作れません: %1</source>
        <translation>Cannot make the output folder: %1</translation>
    </message>
    <message>
        <source>出力ファイルが重なります: %1</source>
        <translation>Two scenes would write the same file: %1</translation>
    </message>
    <message>
        <source>%1 件のシーンのうち %2 件を書き出しました。</source>
        <translation>Wrote %2 of %1 scenes.</translation>
    </message>
    <message>
        <source>使い方:
  tarn [シーン.tarn]
      ウィンドウを開きます（シーンを指定するとそれを開きます）。
  tarn render シーン.tarn... (-o ファイル | --out-dir フォルダ)
             [--format bmp|png|jpg] [--quality N] [--progressive]
             [--gray | --sepia]
      シーンを画像に書き出します。-o - は標準出力に書きます。
      -o は --output とも書けます。
  tarn export シーン.tarn --into フォルダ --area N [--replace]
             [--background black|default]
      シーンをシナリオのエリアとして書き出します。
  tarn dungeon 地図 --pack パック --into フォルダ [--first-area N]
             [--flatten] [--views フォルダ2] [--replace] [--dry-run]
      地図から歩ける迷宮のエリアをすべて書き出します。
  tarn --help | -h | --version
どのコマンドにも --lang ja|en を付けると、その言語で表示します。</source>
        <translation>Usage:
  tarn [SCENE.tarn]
      Opens the window (and the scene, when one is named).
  tarn render SCENE.tarn... (-o FILE | --out-dir FOLDER)
             [--format bmp|png|jpg] [--quality N] [--progressive]
             [--gray | --sepia]
      Writes scenes as pictures; -o - writes to standard output.
      -o may also be written --output.
  tarn export SCENE.tarn --into FOLDER --area N [--replace]
             [--background black|default]
      Writes a scene as an area of a scenario.
  tarn dungeon MAP --pack PACK --into FOLDER [--first-area N]
             [--flatten] [--views FOLDER2] [--replace] [--dry-run]
      Writes every area of a walkable dungeon from a map.
  tarn --help | -h | --version
Any command takes --lang ja|en to speak that language.</translation>
    </message>
    <message>
        <source>%1 には値を指定してください</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>シーン、--into と --area を指定してください</source>
        <translation>Give a scene, --into and --area</translation>
    </message>
    <message>
        <source>--background は black か default です</source>
        <translation>--background is black or default</translation>
    </message>
    <message>
        <source>「%1」はすでにあります。置き換えるときは --replace を付けてください。</source>
        <translation>&quot;%1&quot; exists already. Add --replace to replace it.</translation>
    </message>
    <message>
        <source>標準出力に書き込めません（%1）</source>
        <translation>Cannot write to standard output (%1)</translation>
    </message>
    <message>
        <source>--gray と --sepia はどちらか一つを一度だけ指定してください</source>
        <translation>Give one of --gray and --sepia, once</translation>
    </message>
    <message>
        <source>%1 は一度だけ指定できます</source>
        <translation>%1 can be given only once</translation>
    </message>
    <message>
        <source>拡張子「%1」の形式では書けません。--format で形式を指定してください</source>
        <translation>Cannot write pictures ending in &quot;%1&quot;; name the format with --format</translation>
    </message>
    <message>
        <source>%1 はこのシーンか、その部品です。別の出力先を指定してください</source>
        <translation>%1 is a scene of this batch or a part it reads; choose another output</translation>
    </message>
    <message>
        <source>--lang には次のどれかを指定してください: %1</source>
        <translation>--lang takes one of: %1</translation>
    </message>
    <message>
        <source>知らないコマンドです: %1</source>
        <translation>Unknown command: %1</translation>
    </message>
    <message>
        <source>ウィンドウで開けるシーンは一つだけです</source>
        <translation>The window opens one scene only</translation>
    </message>
</context>
<context>
    <name>AppContext</name>
    <message>
        <source>設定を設定ファイル「%1」に保存できませんでした。
%2</source>
        <translation>The settings could not be saved in the settings file &quot;%1&quot;.
%2</translation>
    </message>
    <message>
        <source>設定ファイル「%1」を読み込めません。
%2
記憶したフォルダは使えません。</source>
        <translation>Cannot read the settings file &quot;%1&quot;.
%2
The remembered folders cannot be used.</translation>
    </message>
</context>
<context>
    <name>Dungeon</name>
    <message>
        <source>「%1」の %2 行 %3 列目</source>
        <translation>%1, line %2, column %3</translation>
    </message>
    <message>
        <source>「%1」の %2 行目</source>
        <translation>%1, line %2</translation>
    </message>
    <message>
        <source>「%1」の %2</source>
        <translation>%1, at %2</translation>
    </message>
    <message>
        <source>「%1」</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1：JSON として読めません。
%2</source>
        <translation>%1: this is not valid JSON.
%2</translation>
    </message>
    <message>
        <source>地図ファイル「%1」を読み込めませんでした。
%2</source>
        <translation>The map file &quot;%1&quot; could not be read.
%2</translation>
    </message>
    <message>
        <source>「%1」は地図ファイルではありません。.txt、.tmj、.json のいずれかを選んでください。</source>
        <translation>&quot;%1&quot; is not a map file. Choose a .txt, .tmj or .json file.</translation>
    </message>
    <message>
        <source>%1：行の数が偶数です。地図は枠の線で始まり、枠の線で終わります。</source>
        <translation>%1: the map has an even number of lines. A map starts and ends with a border line.</translation>
    </message>
    <message>
        <source>%1：タブは使えません。空白を使ってください。</source>
        <translation>%1: tabs cannot be used. Use spaces.</translation>
    </message>
    <message>
        <source>%1：この位置に「%2」は使えません。</source>
        <translation>%1: &quot;%2&quot; cannot be used in this place.</translation>
    </message>
    <message>
        <source>%1：開始位置がありません（テキストの地図では ^ &gt; v &lt;、Tiled の地図では名前が start のオブジェクト）。</source>
        <translation>%1: there is no start (^ &gt; v &lt; in a text map, an object named start in a Tiled map).</translation>
    </message>
    <message>
        <source>%1：開始位置が二つ目です。開始位置は一つだけです。</source>
        <translation>%1: a second start. A map has exactly one start.</translation>
    </message>
    <message>
        <source>%1：開始位置が岩のマスにあります。</source>
        <translation>%1: the start is on a square of solid rock.</translation>
    </message>
    <message>
        <source>%1：地図が大きすぎます（縦横とも %2 マスまで）。</source>
        <translation>%1: the map is too large (at most %2 squares on a side).</translation>
    </message>
    <message>
        <source>%1：地図にマスがありません。</source>
        <translation>%1: the map has no squares.</translation>
    </message>
    <message>
        <source>%1：直交（orthogonal）のマップではありません（%2）。</source>
        <translation>%1: not an orthogonal map (%2).</translation>
    </message>
    <message>
        <source>%1：タイルレイヤーがありません。</source>
        <translation>%1: there is no tile layer.</translation>
    </message>
    <message>
        <source>%1：タイルレイヤーのデータが壊れているか、マップの大きさと合いません。</source>
        <translation>%1: the tile layer&apos;s data is damaged or does not fit the map&apos;s size.</translation>
    </message>
    <message>
        <source>%1：圧縮形式「%2」には対応していません。Tiled で圧縮なし、zlib、gzip のいずれかにして保存してください。</source>
        <translation>%1: the compression &quot;%2&quot; is not supported. In Tiled, save the map uncompressed, with zlib or with gzip.</translation>
    </message>
    <message>
        <source>%1：XML のタイルセット「%2」は読めません。Tiled でタイルセットをマップに埋め込むか、JSON（.tsj）で保存してください。</source>
        <translation>%1: the XML tileset &quot;%2&quot; cannot be read. In Tiled, embed the tileset in the map or save it as JSON (.tsj).</translation>
    </message>
    <message>
        <source>%1：タイルセット「%2」を読み込めませんでした。
%3</source>
        <translation>%1: the tileset &quot;%2&quot; could not be read.
%3</translation>
    </message>
    <message>
        <source>%1：開始位置が地図の外にあります。</source>
        <translation>%1: the start is outside the map.</translation>
    </message>
    <message>
        <source>%1：開始位置の向き（facing）を N、E、S、W のいずれかにしてください。</source>
        <translation>%1: the start&apos;s facing must be N, E, S or W.</translation>
    </message>
    <message>
        <source>%1：値がないか、値の種類が違います。</source>
        <translation>%1: the value is missing or of the wrong type.</translation>
    </message>
    <message>
        <source>パーツパック「%1」を読み込めませんでした。
%2</source>
        <translation>The part pack &quot;%1&quot; could not be read.
%2</translation>
    </message>
    <message>
        <source>「%1」はダンジョンのパーツパック（format が tarn-dungeon-pack）ではありません。</source>
        <translation>&quot;%1&quot; is not a dungeon part pack (format tarn-dungeon-pack).</translation>
    </message>
    <message>
        <source>パーツパック「%1」は新しいバージョンの Tarn 用です。</source>
        <translation>The part pack &quot;%1&quot; is for a newer version of Tarn.</translation>
    </message>
    <message>
        <source>%1：パーツの指定が正しくありません。パーツはファイル名の文字列で、near_front と far_front は part、x、y を持つオブジェクトです。</source>
        <translation>%1: this part entry is wrong. A part is a file name; near_front and far_front entries are objects with part, x and y.</translation>
    </message>
    <message>
        <source>地図が使うパーツがパーツパックにありません：%1</source>
        <translation>The part pack lacks parts the map uses: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>パーツ「%1」を読み込めませんでした。</source>
        <translation>The part &quot;%1&quot; could not be read.</translation>
    </message>
</context>
<context>
    <name>SaveAs</name>
    <message>
        <source>DIBビットマップ (*.bmp)</source>
        <translation>DIB bitmap (*.bmp)</translation>
    </message>
    <message>
        <source>jpg (*.jpg *.jpeg)</source>
        <translation>JPEG (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>PNG (*.png)</source>
        <translation>PNG (*.png)</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>新規画像</source>
        <translation>new picture</translation>
    </message>
    <message>
        <source>エラー発生！</source>
        <translation>Error!</translation>
    </message>
    <message>
        <source>エラー番号 %1 %2</source>
        <translation>Error %1 %2</translation>
    </message>
    <message>
        <source>256形式で保存しました</source>
        <translation>Saved with a 256-colour palette</translation>
    </message>
    <message>
        <source>フルカラー形式で保存しました</source>
        <translation>Saved in full colour</translation>
    </message>
    <message>
        <source>PNG形式で保存しました</source>
        <translation>Saved as PNG</translation>
    </message>
    <message>
        <source>「%1」は保存しませんでした。
ファイル名の末尾が「bmp」「jpg」「jpeg」または「png」のときに保存します。</source>
        <translation>&quot;%1&quot; was not saved.
A picture is saved when the name ends in &quot;bmp&quot;, &quot;jpg&quot;, &quot;jpeg&quot; or &quot;png&quot;.</translation>
    </message>
</context>
<context>
    <name>tarn</name>
    <message>
        <source>%1（エラー番号 %2）</source>
        <translation>%1 (error %2)</translation>
    </message>
    <message>
        <source>正常に終了しました。</source>
        <translation>Completed successfully.</translation>
    </message>
    <message>
        <source>ファイルまたはフォルダーが見つかりません。</source>
        <translation>No such file or folder.</translation>
    </message>
    <message>
        <source>アクセスが拒否されました。</source>
        <translation>Access denied.</translation>
    </message>
    <message>
        <source>ディスクの空き容量が不足しています。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>ディスクの割り当て容量を超えました。</source>
        <translation>The disk quota is exceeded.</translation>
    </message>
    <message>
        <source>読み取り専用のファイルシステムです。</source>
        <translation>The file system is read-only.</translation>
    </message>
    <message>
        <source>同じ名前のフォルダーが存在します。</source>
        <translation>A folder of that name exists.</translation>
    </message>
    <message>
        <source>パスの途中がフォルダーではありません。</source>
        <translation>Part of the path is not a folder.</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます。</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>入出力エラーが発生しました。</source>
        <translation>An input/output error occurred.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>ビットマップファイルが途中で切れています。</source>
        <translation>The bitmap file ends early.</translation>
    </message>
    <message>
        <source>ビットマップファイルではありません。</source>
        <translation>Not a bitmap file.</translation>
    </message>
    <message>
        <source>ビットマップファイルのヘッダーが壊れています。</source>
        <translation>The bitmap file&apos;s header is damaged.</translation>
    </message>
    <message>
        <source>対応していない形式のビットマップです。</source>
        <translation>A bitmap of a kind that is not supported.</translation>
    </message>
    <message>
        <source>24ビットの非圧縮ビットマップではありません。</source>
        <translation>Not an uncompressed 24-bit bitmap.</translation>
    </message>
    <message>
        <source>ビットマップの大きさが正しくありません。</source>
        <translation>The bitmap&apos;s size is wrong.</translation>
    </message>
    <message>
        <source>シーンファイル「%1」は大きすぎるため開けませんでした。</source>
        <translation>The scene file &quot;%1&quot; is too large to open.</translation>
    </message>
    <message>
        <source>シーンファイル「%1」は壊れているため開けませんでした。</source>
        <translation>The scene file &quot;%1&quot; is damaged and could not be opened.</translation>
    </message>
    <message>
        <source>「%1」は Tarn のシーンファイルではありません。</source>
        <translation>&quot;%1&quot; is not a Tarn scene file.</translation>
    </message>
    <message>
        <source>シーンファイル「%1」は新しいバージョンの Tarn で保存されているため開けませんでした。</source>
        <translation>The scene file &quot;%1&quot; was saved by a newer Tarn and could not be opened.</translation>
    </message>
    <message>
        <source>シーンファイル「%1」を開けませんでした。
%2</source>
        <translation>The scene file &quot;%1&quot; could not be opened.
%2</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>ほかのプログラムが使用中です。</source>
        <translation>Another program is using it.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>メモリが足りないため、この操作を取り消しました。</source>
        <translation>There was not enough memory, so this action was cancelled and nothing was changed.</translation>
    </message>
    <message>
        <source>「%1」はフォルダーです。シーンファイルを指定してください。</source>
        <translation>&quot;%1&quot; is a folder. Name a scene file.</translation>
    </message>
    <message>
        <source>「%1」は通常のファイルではないため、書き込めません。</source>
        <translation>&quot;%1&quot; is not a regular file, so it cannot be written.</translation>
    </message>
</context>
<context>
    <name>tarn::Boot</name>
    <message>
        <source>tarn: メモリが足りないため終了します。シーンを %1 に残しました。</source>
        <translation>tarn: out of memory, ending; the scene was kept in %1.</translation>
    </message>
    <message>
        <source>tarn: メモリが足りないため終了します。保存していないシーンはどこにも残せませんでした。</source>
        <translation>tarn: out of memory, ending; the unsaved scene could not be kept anywhere.</translation>
    </message>
</context>
<context>
    <name>tarn::FrmBoot</name>
    <message>
        <source>ダンジョン風景合成ツール</source>
        <translation>Dungeon view composer</translation>
    </message>
    <message>
        <source>CardWirth シナリオ作者のために</source>
        <translation>For CardWirth scenario authors</translation>
    </message>
    <message>
        <source>石と闇を組み合わせて、あなたの迷宮を描く。</source>
        <translation>Stone and darkness, put together into your labyrinth.</translation>
    </message>
</context>
<context>
    <name>tarn::FrmJpg</name>
    <message>
        <source>JPG保存設定</source>
        <translation>JPEG settings</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>最高画質</source>
        <translation>Best</translation>
    </message>
    <message>
        <source>高画質</source>
        <translation>High</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>低画質</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>品質</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>プログレッシブjpg</source>
        <translation>Progressive JPEG</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>tarn::FrmMain</name>
    <message>
        <source>地面</source>
        <translation>Floor</translation>
    </message>
    <message>
        <source>奥の左側</source>
        <translation>Far left</translation>
    </message>
    <message>
        <source>奥の右側</source>
        <translation>Far right</translation>
    </message>
    <message>
        <source>手前の左側</source>
        <translation>Near left</translation>
    </message>
    <message>
        <source>手前の右側</source>
        <translation>Near right</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新しいシーン(&amp;N)</source>
        <translation>&amp;New scene</translation>
    </message>
    <message>
        <source>シーンを開く(&amp;O)...</source>
        <translation>&amp;Open scene...</translation>
    </message>
    <message>
        <source>シーンを保存(&amp;V)</source>
        <translation>Sa&amp;ve scene</translation>
    </message>
    <message>
        <source>名前を付けてシーンを保存...</source>
        <translation>Save scene as...</translation>
    </message>
    <message>
        <source>最近使ったシーン(&amp;R)</source>
        <translation>&amp;Recent scenes</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>名前をつけて画像の保存(&amp;A)...</source>
        <translation>Save picture &amp;as...</translation>
    </message>
    <message>
        <source>書き出し(&amp;W)...</source>
        <translation>E&amp;xport...</translation>
    </message>
    <message>
        <source>クリップボードにコピー(&amp;C)</source>
        <translation>&amp;Copy to clipboard</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>元に戻す: %1(&amp;U)</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message>
        <source>やり直し: %1(&amp;R)</source>
        <translation>&amp;Redo %1</translation>
    </message>
    <message>
        <source>オブジェクト (F)</source>
        <translation>Objects (F)</translation>
    </message>
    <message>
        <source>オブジェクト (T)</source>
        <translation>Objects (T)</translation>
    </message>
    <message>
        <source>拡大率 %1倍</source>
        <translation>Zoom %1x</translation>
    </message>
    <message>
        <source>一部のレイヤーを隠しています</source>
        <translation>Some layers hidden</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>パスの指定(&amp;P)</source>
        <translation>&amp;Paths</translation>
    </message>
    <message>
        <source>特殊効果(&amp;S)</source>
        <translation>Effect&amp;s</translation>
    </message>
    <message>
        <source>グレースケール変換(&amp;G)</source>
        <translation>&amp;Grayscale</translation>
    </message>
    <message>
        <source>セピア調変換(&amp;S)</source>
        <translation>&amp;Sepia</translation>
    </message>
    <message>
        <source>レイヤー表示(&amp;L)</source>
        <translation>&amp;Layers</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;V)</source>
        <translation>Abou&amp;t</translation>
    </message>
    <message>
        <source>最新情報に更新(&amp;R)</source>
        <translation>Re&amp;fresh</translation>
    </message>
    <message>
        <source>クリア（%1）</source>
        <translation>Clear (%1)</translation>
    </message>
    <message>
        <source>地形をオールクリアします。</source>
        <translation>Clears all terrain.</translation>
    </message>
    <message>
        <source>オブジェクト(最大10)</source>
        <translation>Objects (up to 10)</translation>
    </message>
    <message>
        <source>挿入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>オブジェクトの左右反転</source>
        <translation>Mirror the object left to right</translation>
    </message>
    <message>
        <source>オブジェクトの上下反転</source>
        <translation>Mirror the object top to bottom</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>F/T</source>
        <translation>F/T</translation>
    </message>
    <message>
        <source> オブジェクトが手前の地形も通過するか指定します。[F = 無効 T = 有効]</source>
        <translation> Whether the object also shows in front of the nearer terrain. [F = no, T = yes]</translation>
    </message>
    <message>
        <source>次のものは部品ファイルでもフォルダでもないため、使いませんでした。
%1</source>
        <translation>Nothing was used, because these are neither part files nor folders:
%1</translation>
    </message>
    <message>
        <source>「%1」は整数ではありません。</source>
        <translation>&quot;%1&quot; is not a whole number.</translation>
    </message>
    <message>
        <source>「%1」は大きすぎます。</source>
        <translation>&quot;%1&quot; is too large.</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)      </source>
        <translation>&amp;Close      </translation>
    </message>
    <message>
        <source>記憶</source>
        <translation>Store</translation>
    </message>
    <message>
        <source>呼び出し</source>
        <translation>Recall</translation>
    </message>
    <message>
        <source>/ にアクセスできません。
デバイスの準備ができていません。</source>
        <translation>/ cannot be accessed.
The device is not ready.</translation>
    </message>
    <message>
        <source>指定したパスが見つかりません。
記憶された後に何らかの変更があったと思われます。
</source>
        <translation>The folder cannot be found.
It seems to have changed since it was remembered.
</translation>
    </message>
    <message>
        <source>Tarn シーン (*.tarn)</source>
        <translation>Tarn scene (*.tarn)</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>このシーンへの変更を保存しますか？</source>
        <translation>Save the changes to this scene?</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>破棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>シーンファイル「%1」を保存できませんでした。
%2</source>
        <translation>The scene file &quot;%1&quot; could not be saved.
%2</translation>
    </message>
    <message>
        <source>シーン「%1」の次のパーツを読み込めませんでした。パーツはシーンに残してありますが、表示されません。
%2</source>
        <translation>These parts of the scene &quot;%1&quot; could not be read. They stay in the scene but are not shown:
%2</translation>
    </message>
    <message>
        <source>名前を付けてシーンを保存</source>
        <translation>Save scene as</translation>
    </message>
    <message>
        <source>シーンを開く</source>
        <translation>Open scene</translation>
    </message>
    <message>
        <source>「%1」を読み込めませんでした。
ファイルが削除されたか、読み込めない画像です。</source>
        <translation>&quot;%1&quot; could not be read.
The file was deleted or is not a picture that can be read.</translation>
    </message>
    <message>
        <source>ファイルの重複問あわせ</source>
        <translation>File exists</translation>
    </message>
    <message>
        <source>「%1」
同じ名前のファイルが存在します。
上書きしますか？</source>
        <translation>&quot;%1&quot;
A file of the same name exists.
Replace it?</translation>
    </message>
    <message>
        <source>シーンファイル「%1」は、開いた後（または保存した後）にほかで変更されています。
置き換えると、その変更は失われます。</source>
        <translation>The scene file &quot;%1&quot; was changed elsewhere after it was opened (or saved).
Replacing it loses those changes.</translation>
    </message>
    <message>
        <source>名前を付けて保存...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>置き換える</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>そのままにする</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>前回、保存していなかったシーンを次のファイルに残しました。「最近使ったシーン」から開けます。
%1</source>
        <translation>Last time, unsaved scenes were kept in these files; open them from Recent scenes.
%1</translation>
    </message>
    <message>
        <source>× %1（読み込めません）</source>
        <translation>× %1 (cannot be read)</translation>
    </message>
    <message>
        <source>ダンジョン(&amp;D)...</source>
        <translation>&amp;Dungeon...</translation>
    </message>
</context>
<context>
    <name>tarn::FrmWrite</name>
    <message>
        <source>保存場所のフォルダ「%1」が見つかりません。
存在するフォルダを指定してください。</source>
        <translation>The folder &quot;%1&quot; cannot be found.
Choose a folder that exists.</translation>
    </message>
    <message>
        <source>保存場所のフォルダ「%1」に書き込めません。
書き込みのできるフォルダを指定してください。</source>
        <translation>The folder &quot;%1&quot; cannot be written to.
Choose a folder that can be written to.</translation>
    </message>
    <message>
        <source>部品のビットマップ「%1」が見つかりません。
何も書き出していません。</source>
        <translation>The part bitmap &quot;%1&quot; cannot be found.
Nothing was exported.</translation>
    </message>
    <message>
        <source>エリア番号「%1」は整数ではありません。
整数を入力してください。</source>
        <translation>The area number &quot;%1&quot; is not a whole number.
Type a whole number.</translation>
    </message>
    <message>
        <source>エラー発生！
「%1」を書き込めませんでした。
%2
エリアファイルは書き出していません。</source>
        <translation>Error!
&quot;%1&quot; could not be written.
%2
No area file was written.</translation>
    </message>
    <message>
        <source>シナリオ ひな形書き出し</source>
        <translation>Export scenario template</translation>
    </message>
    <message>
        <source>保存場所</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>新規ファイル</source>
        <translation>New file</translation>
    </message>
    <message>
        <source>既存ファイル</source>
        <translation>Existing file</translation>
    </message>
    <message>
        <source>背景はデフォルトを使用(MapOfWirth.bmp)</source>
        <translation>Default background (MapOfWirth.bmp)</translation>
    </message>
    <message>
        <source>背景を指定</source>
        <translation>Choose background</translation>
    </message>
    <message>
        <source>背景</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>背景に黒を使用</source>
        <translation>Black background</translation>
    </message>
    <message>
        <source>（dark.bmpを追加作成)</source>
        <translation>(adds dark.bmp)</translation>
    </message>
    <message>
        <source>背景を指定する</source>
        <translation>Choose a background</translation>
    </message>
    <message>
        <source>保存場所の指定</source>
        <translation>Choose the folder</translation>
    </message>
    <message>
        <source>Tarn 警告</source>
        <translation>Tarn warning</translation>
    </message>
    <message>
        <source>リストから上書きするファイルを選択してください。</source>
        <translation>Choose the file to replace from the list.</translation>
    </message>
    <message>
        <source>エリア番号「%1」は使えません。
%2 から %3 までの整数にしてください。</source>
        <translation>The area number &quot;%1&quot; cannot be used.
Use a whole number from %2 to %3.</translation>
    </message>
    <message>
        <source>「%1」の文字 %2 は CardWirth のファイル名に使えません。
部品の名前を変えてください。何も書き出していません。</source>
        <translation>The character %2 in &quot;%1&quot; cannot be used in a CardWirth file name.
Rename the part. Nothing was exported.</translation>
    </message>
    <message>
        <source>このエリア番号は「%1」がすでに使っています。
別の番号にするか、既存ファイルとして上書きしてください。</source>
        <translation>This area number is used by &quot;%1&quot; already.
Choose another number, or replace it as an existing file.</translation>
    </message>
    <message>
        <source>エリア %1「%2」を書き出しました。

書き出したファイル:
%3</source>
        <translation>Exported area %1 &quot;%2&quot;.

Files written:
%3</translation>
    </message>
    <message>
        <source>画面はグレースケール／セピア調ですが、エリアには部品の元の色が使われます。</source>
        <translation>The canvas is grayscale or sepia, but the area uses the parts&apos; own colours.</translation>
    </message>
    <message>
        <source>次のパーツを読み込めないため、書き出しません。
%1</source>
        <translation>These parts cannot be read, so nothing was exported:
%1</translation>
    </message>
</context>
<context>
    <name>DungeonCommand</name>
    <message>
        <source>--replace は前に書き出した迷宮の索引から置き換えるエリアを知ります。</source>
        <translation>--replace learns from the index of the dungeon written before which areas it replaces.</translation>
    </message>
    <message>
        <source>エリア番号 %1 は「%2」がすでに使っています。--first-area で空いている番号から始めてください。</source>
        <translation>Area number %1 is used by &quot;%2&quot; already. Start from free numbers with --first-area.</translation>
    </message>
    <message>
        <source>書き込んだファイルは取り除き、フォルダを元に戻しました。</source>
        <translation>The files written were removed and the folder is as it was.</translation>
    </message>
    <message>
        <source>%1 には値を指定してください</source>
        <translation>Give a value for %1</translation>
    </message>
    <message>
        <source>--first-area は 1 から 9999 までの整数です</source>
        <translation>--first-area is a whole number from 1 to 9999</translation>
    </message>
    <message>
        <source>地図、--pack と --into を指定してください</source>
        <translation>Give the map, --pack and --into</translation>
    </message>
    <message>
        <source>%1何も書き出していません。</source>
        <translation>%1 Nothing was written.</translation>
    </message>
    <message>
        <source>%1 マス、%2 画面（異なる画面 %3）、エリア %4〜%5、開始エリア %6</source>
        <translation>%1 squares, %2 views (%3 distinct), areas %4 to %5, start area %6</translation>
    </message>
    <message>
        <source>%1 マスの迷宮をエリア %2〜%3 に書き出しました（異なる画面 %4）。</source>
        <translation>Wrote a dungeon of %1 squares as areas %2 to %3 (%4 distinct views).</translation>
    </message>
    <message>
        <source>%1Summary.wsm はそのままです。開始エリアは %2 です。</source>
        <translation>%1 Summary.wsm is left as it was. The start area is %2.</translation>
    </message>
</context>
<context>
    <name>EditNames</name>
    <message>
        <source>パーツの選択</source>
        <translation>Choose Part</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear Slot</translation>
    </message>
    <message>
        <source>オールクリア</source>
        <translation>Clear All</translation>
    </message>
    <message>
        <source>挿入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>反転</source>
        <translation>Mirror</translation>
    </message>
    <message>
        <source>F/T の切り替え</source>
        <translation>Toggle F/T</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>入れ替え</source>
        <translation>Exchange Rows</translation>
    </message>
    <message>
        <source>グレースケール</source>
        <translation>Grayscale</translation>
    </message>
    <message>
        <source>セピア</source>
        <translation>Sepia</translation>
    </message>
    <message>
        <source>再描画</source>
        <translation>Redraw</translation>
    </message>
    <message>
        <source>置き換え</source>
        <translation>Replace</translation>
    </message>
</context>
<context>
    <name>tarn::FrmDungeon</name>
    <message>
        <source>北</source>
        <translation>north</translation>
    </message>
    <message>
        <source>東</source>
        <translation>east</translation>
    </message>
    <message>
        <source>南</source>
        <translation>south</translation>
    </message>
    <message>
        <source>西</source>
        <translation>west</translation>
    </message>
    <message>
        <source>ダンジョン</source>
        <translation>Dungeon</translation>
    </message>
    <message>
        <source>マップ</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>パーツパック</source>
        <translation>Part pack</translation>
    </message>
    <message>
        <source>シナリオフォルダ</source>
        <translation>Scenario folder</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>最初のエリア番号</source>
        <translation>First area number</translation>
    </message>
    <message>
        <source>ビューごとに一枚の画像にする</source>
        <translation>One picture per view</translation>
    </message>
    <message>
        <source>このビューをシーンとして開く</source>
        <translation>Open this view as a scene</translation>
    </message>
    <message>
        <source>書き出し</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>マップを開く</source>
        <translation>Open a map</translation>
    </message>
    <message>
        <source>マップ (*.txt *.tmj *.json)</source>
        <translation>Maps (*.txt *.tmj *.json)</translation>
    </message>
    <message>
        <source>パーツパックを開く</source>
        <translation>Open a part pack</translation>
    </message>
    <message>
        <source>パーツパック (*.json)</source>
        <translation>Part packs (*.json)</translation>
    </message>
    <message>
        <source>シナリオフォルダの選択</source>
        <translation>Choose the scenario folder</translation>
    </message>
    <message>
        <source>(%1, %2) %3向き</source>
        <translation>(%1, %2) facing %3</translation>
    </message>
    <message>
        <source>エリア %1</source>
        <translation>area %1</translation>
    </message>
    <message>
        <source>フォルダ「%1」を使えません。
%2</source>
        <translation>The folder &quot;%1&quot; cannot be used.
%2</translation>
    </message>
    <message>
        <source>「%1」を読めません。</source>
        <translation>Cannot read &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>エリア番号 %1 は「%2」がすでに使っています。
最初のエリア番号を空いている番号にしてください。</source>
        <translation>Area number %1 is already taken by &quot;%2&quot;.
Make the first area number a free one.</translation>
    </message>
    <message>
        <source>エリア番号 %1〜%2 は %3〜%4 に収まりません。</source>
        <translation>Area numbers %1 to %2 do not fit in %3 to %4.</translation>
    </message>
    <message>
        <source>「%1」の文字「%2」は CardWirth で使えません。</source>
        <translation>The character &quot;%2&quot; of &quot;%1&quot; cannot be used in CardWirth.</translation>
    </message>
    <message>
        <source>「%1」に書き込めません。
%2</source>
        <translation>Cannot write &quot;%1&quot;.
%2</translation>
    </message>
    <message>
        <source>最初のエリア番号は %1 から %2 までの整数にしてください。</source>
        <translation>The first area number must be a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>シナリオフォルダを選んでください。</source>
        <translation>Choose a scenario folder.</translation>
    </message>
    <message>
        <source>書き出しを中止しました。フォルダは元のままです。</source>
        <translation>The export was cancelled. The folder is as it was.</translation>
    </message>
    <message>
        <source>何も書き出していません。</source>
        <translation>Nothing was written.</translation>
    </message>
    <message>
        <source>%1 エリア（%2〜%3）を書き出しました。開始エリアは %4 です。</source>
        <translation>Wrote %1 areas (%2 to %3). The start area is %4.</translation>
    </message>
    <message>
        <source>Summary.wsm を書き出しました。</source>
        <translation>Summary.wsm was written.</translation>
    </message>
    <message>
        <source>Summary.wsm はそのままです。</source>
        <translation>Summary.wsm is left as it was.</translation>
    </message>
    <message>
        <source>このフォルダには「%1」を前に書き出してあります。
そのエリアを置き換えますか？「いいえ」なら最初のエリア番号から新しく書き出します。</source>
        <translation>This folder holds &quot;%1&quot; from an earlier export.
Replace its areas? &quot;No&quot; writes anew from the first area number.</translation>
    </message>
</context>
</TS>
