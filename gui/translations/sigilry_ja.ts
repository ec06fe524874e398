<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>sgry::AddingDialog</name>
    <message>
        <source>Adding PDF files to the list…</source>
        <translation>リストへPDFファイルを追加中…</translation>
    </message>
</context>
<context>
    <name>sgry::FileListController</name>
    <message>
        <source>Choose PDF Files to Add to the List</source>
        <translation>ﾘｽﾄへ追加するPDFﾌｧｲﾙを選択して下さい</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||</source>
        <translation>PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||</translation>
    </message>
    <message>
        <source>File List Name</source>
        <translation>ファイルリスト名の指定</translation>
    </message>
    <message>
        <source>File lists (*.lst)|*.lst|All files (*.*)|*.*||</source>
        <translation>ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||</translation>
    </message>
    <message>
        <source>Erase the stamps from the checked files?</source>
        <translation>チェックしたファイルからスタンプを消去しますか？</translation>
    </message>
    <message>
        <source>Stamps erased.</source>
        <translation>消去しました</translation>
    </message>
</context>
<context>
    <name>sgry::FileListView</name>
    <message>
        <source>File Name</source>
        <translation>ﾌｧｲﾙ名</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>ﾍﾟｰｼﾞ数</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>署名</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>ﾊﾟｽ</translation>
    </message>
    <message>
        <source>Signed</source>
        <translation>署名あり</translation>
    </message>
    <message>
        <source>Certified</source>
        <translation>認証済み</translation>
    </message>
</context>
<context>
    <name>sgry::FontColorDialog</name>
    <message>
        <source>That font cannot be selected</source>
        <translation>そのフォントは選択できません</translation>
    </message>
    <message>
        <source>Font and Colour</source>
        <translation>フォントと色の選択</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>ボールド</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>イタリック</translation>
    </message>
    <message>
        <source>Click to choose the colour</source>
        <translation>クリックすると色を選べます</translation>
    </message>
    <message>
        <source>Font:</source>
        <translation>フォント：</translation>
    </message>
    <message>
        <source>Colour:</source>
        <translation>色：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>色の設定</translation>
    </message>
</context>
<context>
    <name>sgry::GeneralPage</name>
    <message>
        <source>Save a copy named with a prefix</source>
        <translation>プレフィクスをつけて別名で保存</translation>
    </message>
    <message>
        <source>Ask for a name with the &quot;Save As&quot; dialog</source>
        <translation>「別名で保存」ダイアログを表示</translation>
    </message>
    <message>
        <source>Overwrite the source</source>
        <translation>上書き</translation>
    </message>
    <message>
        <source>General</source>
        <translation>全般</translation>
    </message>
    <message>
        <source>Write the stamps in a form that can be erased</source>
        <translation>スタンプを消去できる形式で出力</translation>
    </message>
    <message>
        <source>Rebuild the cross-reference data of damaged PDF files and stamp them</source>
        <translation>クロスリファレンス情報が壊れたPDFファイルも作り直してスタンプする</translation>
    </message>
    <message>
        <source>Stamp certified PDF files without asking (this breaks their certification)</source>
        <translation>作成者の認証があるPDFファイルも確認せずにスタンプする（認証は無効になります）</translation>
    </message>
    <message>
        <source>Output file:</source>
        <translation>出力ファイル：</translation>
    </message>
    <message>
        <source>Same as the system</source>
        <translation>システムの設定に従う</translation>
    </message>
    <message>
        <source>Language (from the next start):</source>
        <translation>表示言語（次回の起動から）：</translation>
    </message>
</context>
<context>
    <name>sgry::HeaderFooterPage</name>
    <message>
        <source>&amp;Left</source>
        <translation>左側(&amp;L)</translation>
    </message>
    <message>
        <source>N&amp;one</source>
        <translation>なし(N)</translation>
    </message>
    <message>
        <source>&amp;Page number</source>
        <translation>ページ番号(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Date and time</source>
        <translation>日付と時刻(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Text</source>
        <translation>テキスト(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Font and Colour...</source>
        <translation>フォントと色(&amp;F)</translation>
    </message>
    <message>
        <source>C&amp;entre</source>
        <translation>中央(&amp;L)</translation>
    </message>
    <message>
        <source>No&amp;ne</source>
        <translation>なし(O)</translation>
    </message>
    <message>
        <source>P&amp;age number</source>
        <translation>ページ番号(&amp;A)</translation>
    </message>
    <message>
        <source>Date and t&amp;ime</source>
        <translation>日付と時刻(&amp;I)</translation>
    </message>
    <message>
        <source>Te&amp;xt</source>
        <translation>テキスト(&amp;X)</translation>
    </message>
    <message>
        <source>Fo&amp;nt and Colour...</source>
        <translation>フォントと色(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Right</source>
        <translation>右側(&amp;R)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Pa&amp;ge number</source>
        <translation>ページ番号(&amp;G)</translation>
    </message>
    <message>
        <source>Date and ti&amp;me</source>
        <translation>日付と時刻(&amp;M)</translation>
    </message>
    <message>
        <source>Tex&amp;t</source>
        <translation>テキスト(&amp;S)</translation>
    </message>
    <message>
        <source>Font and &amp;Colour...</source>
        <translation>フォントと色(&amp;C)</translation>
    </message>
    <message>
        <source>General</source>
        <translation>全般</translation>
    </message>
    <message>
        <source>Draw a line between it and the page body</source>
        <translation>本文との間に境界線を引く(E)</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>形式：</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1・%2</translation>
    </message>
    <message>
        <source>File na&amp;me</source>
        <translation>ファイル名(&amp;U)</translation>
    </message>
    <message>
        <source>Fi&amp;le name</source>
        <translation>ファイル名(&amp;V)</translation>
    </message>
    <message>
        <source>Fil&amp;e name</source>
        <translation>ファイル名(&amp;W)</translation>
    </message>
    <message>
        <source>Bates number</source>
        <translation>Bates番号</translation>
    </message>
    <message>
        <source>With extension</source>
        <translation>拡張子あり</translation>
    </message>
    <message>
        <source>Without extension</source>
        <translation>拡張子なし</translation>
    </message>
    <message>
        <source>Bates number (counted across the files)</source>
        <translation>Bates番号（ファイルをまたいだ通し番号）</translation>
    </message>
    <message>
        <source>Start n&amp;umber:</source>
        <translation>開始番号(&amp;B)：</translation>
    </message>
    <message>
        <source>Digit&amp;s:</source>
        <translation>桁数(&amp;K)：</translation>
    </message>
    <message>
        <source>Text &amp;before:</source>
        <translation>前に付ける文字(&amp;H)：</translation>
    </message>
    <message>
        <source>Text &amp;after:</source>
        <translation>後に付ける文字(&amp;J)：</translation>
    </message>
</context>
<context>
    <name>sgry::LockIndicators</name>
    <message>
        <source>KANA</source>
        <translation>ｶﾅ</translation>
    </message>
</context>
<context>
    <name>sgry::MainWindow</name>
    <message>
        <source>Ready</source>
        <translation>ﾚﾃﾞｨ</translation>
    </message>
    <message>
        <source>&amp;Add Files...</source>
        <translation>ﾌｧｲﾙを追加(&amp;A)</translation>
    </message>
    <message>
        <source>Choose files to add to the list</source>
        <translation>処理対象ﾘｽﾄへ追加するﾌｧｲﾙを選択する</translation>
    </message>
    <message>
        <source>Add files to the list</source>
        <translation>ファイルをリストへ追加</translation>
    </message>
    <message>
        <source>&amp;Delete File</source>
        <translation>ﾌｧｲﾙを削除(&amp;D)</translation>
    </message>
    <message>
        <source>Remove the file from the file list</source>
        <translation>ﾌｧｲﾙをﾌｧｲﾙﾘｽﾄから削除する</translation>
    </message>
    <message>
        <source>Remove files from the list</source>
        <translation>リストからファイルを削除</translation>
    </message>
    <message>
        <source>&amp;Open File List...</source>
        <translation>ﾌｧｲﾙﾘｽﾄを開く(&amp;O)</translation>
    </message>
    <message>
        <source>Read the files of a file list</source>
        <translation>ﾌｧｲﾙﾘｽﾄからﾌｧｲﾙ一覧を読み込む</translation>
    </message>
    <message>
        <source>Open a list</source>
        <translation>リストを開く</translation>
    </message>
    <message>
        <source>&amp;Save File List...</source>
        <translation>ﾌｧｲﾙﾘｽﾄを保存(&amp;S)</translation>
    </message>
    <message>
        <source>Save the current file list</source>
        <translation>現在のﾌｧｲﾙﾘｽﾄを保存する</translation>
    </message>
    <message>
        <source>Save the list</source>
        <translation>リストを保存</translation>
    </message>
    <message>
        <source>Stamp Settings...</source>
        <translation>書き出し設定</translation>
    </message>
    <message>
        <source>Set up the stamps</source>
        <translation>スタンプ書き出しの設定を行う</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>書き出しの実行</translation>
    </message>
    <message>
        <source>Stamp the checked files</source>
        <translation>スタンプの書き出しを行う</translation>
    </message>
    <message>
        <source>&amp;Undo Stamps</source>
        <translation>スタンプを消去(&amp;U)</translation>
    </message>
    <message>
        <source>Remove erasable stamps from the checked files</source>
        <translation>チェックしたﾌｧｲﾙから消去できる形式のスタンプを取り除く</translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation>プレビュー(&amp;V)</translation>
    </message>
    <message>
        <source>Show the selected file with its stamps</source>
        <translation>選択したﾌｧｲﾙにスタンプを付けた様子を表示する</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>プレビュー</translation>
    </message>
    <message>
        <source>Pr&amp;eferences...</source>
        <translation>環境設定(&amp;E)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ﾌｧｲﾙ(&amp;F)</translation>
    </message>
</context>
<context>
    <name>sgry::MarginPage</name>
    <message>
        <source>All pages above</source>
        <translation>上記の全てのページが対象</translation>
    </message>
    <message>
        <source>Odd pages only</source>
        <translation>奇数ページのみ対象</translation>
    </message>
    <message>
        <source>Even pages only</source>
        <translation>偶数ページのみ対象</translation>
    </message>
    <message>
        <source>Pages and Margins</source>
        <translation>ページ範囲と余白</translation>
    </message>
    <message>
        <source>Page Range</source>
        <translation>ページ範囲</translation>
    </message>
    <message>
        <source>&amp;All pages</source>
        <translation>全てのページ(&amp;A)</translation>
    </message>
    <message>
        <source>Some &amp;pages</source>
        <translation>一部のページ(&amp;P)</translation>
    </message>
    <message>
        <source>from page</source>
        <translation>ページ目から(S)</translation>
    </message>
    <message>
        <source>to pag&amp;e</source>
        <translation>ページ目まで(&amp;E)</translation>
    </message>
    <message>
        <source>First page number:</source>
        <translation>ページ番号を付ける場合の初期値：</translation>
    </message>
    <message>
        <source>Odd and Even Pages</source>
        <translation>奇数ページ、偶数ページ</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>余白</translation>
    </message>
    <message>
        <source>&amp;Top:</source>
        <translation>上(&amp;T)：</translation>
    </message>
    <message>
        <source>&amp;Bottom:</source>
        <translation>下(&amp;B)：</translation>
    </message>
    <message>
        <source>&amp;Left:</source>
        <translation>左(&amp;L)：</translation>
    </message>
    <message>
        <source>&amp;Right:</source>
        <translation>右(&amp;R)：</translation>
    </message>
    <message>
        <source>Unit: millimetres</source>
        <translation>単位：ミリメートル</translation>
    </message>
</context>
<context>
    <name>sgry::PreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation>環境設定</translation>
    </message>
</context>
<context>
    <name>sgry::PreviewDialog</name>
    <message>
        <source>Preview</source>
        <translation>プレビュー</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
</context>
<context>
    <name>sgry::PreviewPane</name>
    <message>
        <source>Sample page</source>
        <translation>見本のページ</translation>
    </message>
    <message>
        <source>First</source>
        <translation>最初</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>前へ</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>次へ</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>最後</translation>
    </message>
    <message>
        <source>Cannot create a temporary folder
</source>
        <translation>一時フォルダを作れません
</translation>
    </message>
</context>
<context>
    <name>sgry::PreviewRender</name>
    <message>
        <source>Cannot show the stamped file</source>
        <translation>スタンプを付けたファイルを表示できません</translation>
    </message>
</context>
<context>
    <name>sgry::ProgressDialog</name>
    <message>
        <source>Working…</source>
        <translation>処理中…</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>中断(&amp;C)</translation>
    </message>
</context>
<context>
    <name>sgry::QrPage</name>
    <message>
        <source>Low (L)</source>
        <translation>低(L)</translation>
    </message>
    <message>
        <source>Medium (M)</source>
        <translation>普通(M)</translation>
    </message>
    <message>
        <source>High (Q)</source>
        <translation>高(Q)</translation>
    </message>
    <message>
        <source>Highest (H)</source>
        <translation>最高(H)</translation>
    </message>
    <message>
        <source>QR Code</source>
        <translation>QRコード</translation>
    </message>
    <message>
        <source>Add a &amp;QR code watermark</source>
        <translation>QRコードの透かしを追加する(&amp;Q)</translation>
    </message>
    <message>
        <source>Me&amp;ssage for the QR code:</source>
        <translation>QRコードに埋め込むメッセージ(&amp;S)：</translation>
    </message>
    <message>
        <source>Cl&amp;ear</source>
        <translation>クリア(E)</translation>
    </message>
    <message>
        <source>&amp;Position:</source>
        <translation>位置(&amp;P)：</translation>
    </message>
    <message>
        <source>Follow the mar&amp;gins</source>
        <translation>余白設定に従う(&amp;G)</translation>
    </message>
    <message>
        <source>Version and error correction level:</source>
        <translation>ﾊﾞｰｼﾞｮﾝと誤り訂正ﾚﾍﾞﾙ：</translation>
    </message>
    <message>
        <source>&amp;Automatic</source>
        <translation>自動(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Manual</source>
        <translation>手動で設定(&amp;M)</translation>
    </message>
    <message>
        <source>Limit to mobile-readable</source>
        <translation>携帯電話で認識可能な</translation>
    </message>
    <message>
        <source>versions only</source>
        <translation>バージョンに制限する</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>バージョン：</translation>
    </message>
    <message>
        <source>Error correction level:</source>
        <translation>誤り訂正ﾚﾍﾞﾙ：</translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation>プレビュー(&amp;V)</translation>
    </message>
    <message>
        <source>Message for the QR code</source>
        <translation>QRコードに埋め込むメッセージ</translation>
    </message>
</context>
<context>
    <name>sgry::QrPreviewCanvas</name>
    <message>
        <source>Version:%1  Error correction level:%2</source>
        <translation>バージョン:%1  誤り訂正レベル:%2</translation>
    </message>
</context>
<context>
    <name>sgry::QrPreviewDialog</name>
    <message>
        <source>An error occurred while creating the QR code</source>
        <translation>ＱＲコード作成中にエラーが発生しました</translation>
    </message>
    <message>
        <source>QR Code Preview</source>
        <translation>ＱＲコードのプレビュー</translation>
    </message>
</context>
<context>
    <name>sgry::QtUserPrompts</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 は既に存在します。
上書きしますか?</translation>
    </message>
</context>
<context>
    <name>sgry::SettingsDialog</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>適用(&amp;A)</translation>
    </message>
</context>
<context>
    <name>sgry::StampSettingsDialog</name>
    <message>
        <source>Stamp Settings</source>
        <translation>書き出しの設定</translation>
    </message>
    <message>
        <source>Header</source>
        <translation>ヘッダー</translation>
    </message>
    <message>
        <source>Footer</source>
        <translation>フッター</translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation>プレビュー(&amp;V)</translation>
    </message>
</context>
<context>
    <name>sgry::WatermarkPage</name>
    <message>
        <source>Top / Left</source>
        <translation>上段／左</translation>
    </message>
    <message>
        <source>Top / Centre</source>
        <translation>上段／中央</translation>
    </message>
    <message>
        <source>Top / Right</source>
        <translation>上段／右</translation>
    </message>
    <message>
        <source>Middle / Left</source>
        <translation>中段／左</translation>
    </message>
    <message>
        <source>Middle / Centre</source>
        <translation>中段／中央</translation>
    </message>
    <message>
        <source>Middle / Right</source>
        <translation>中段／右</translation>
    </message>
    <message>
        <source>Bottom / Left</source>
        <translation>下段／左</translation>
    </message>
    <message>
        <source>Bottom / Centre</source>
        <translation>下段／中央</translation>
    </message>
    <message>
        <source>Bottom / Right</source>
        <translation>下段／右</translation>
    </message>
    <message>
        <source>Choose an Image File</source>
        <translation>画像ファイルを選択して下さい</translation>
    </message>
    <message>
        <source>Supported images (*.jpg;*.jpeg;*.bmp;*.png)|*.jpg;*.jpeg;*.bmp;*.png|JPEG files (*.jpg;*.jpeg)|*.jpg;*.jpeg|BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png|All files (*.*)|*.*||</source>
        <translation>対応形式(*.jpg;*.jpeg;*.bmp;*.png)|*.jpg;*.jpeg;*.bmp;*.png|JPEGﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|BMPﾌｧｲﾙ(*.bmp)|*.bmp|PNGﾌｧｲﾙ(*.png)|*.png|すべてのﾌｧｲﾙ(*.*)|*.*||</translation>
    </message>
    <message>
        <source>Watermark</source>
        <translation>透かし</translation>
    </message>
    <message>
        <source>Text Watermark</source>
        <translation>文字による透かし</translation>
    </message>
    <message>
        <source>&amp;Diagonal</source>
        <translation>対角線(&amp;D)</translation>
    </message>
    <message>
        <source>Follow the &amp;margins</source>
        <translation>余白設定に従う(&amp;M)</translation>
    </message>
    <message>
        <source>Fo&amp;nt and Colour...</source>
        <translation>フォントと色(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Type:</source>
        <translation>種類(&amp;T)：</translation>
    </message>
    <message>
        <source>&amp;Position:</source>
        <translation>位置(&amp;P)：</translation>
    </message>
    <message>
        <source>&amp;Intensity:</source>
        <translation>濃度(&amp;I)：</translation>
    </message>
    <message>
        <source>Image Watermark</source>
        <translation>画像透かし</translation>
    </message>
    <message>
        <source>B&amp;rowse...</source>
        <translation>参照(&amp;R)</translation>
    </message>
    <message>
        <source>Follow the mar&amp;gins</source>
        <translation>余白設定に従う(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>ファイル(&amp;F)：</translation>
    </message>
    <message>
        <source>Posi&amp;tion:</source>
        <translation>位置(&amp;L)：</translation>
    </message>
    <message>
        <source>Inten&amp;sity:</source>
        <translation>濃度(&amp;S)：</translation>
    </message>
</context>
<context>
    <name>sgry::sheets</name>
    <message>
        <source>&quot;%1&quot; contains characters that Shift-JIS cannot represent:<byte value="xd"/>
%2<byte value="xd"/>
<byte value="xd"/>
Please remove them or replace them with other characters</source>
        <translation>「%1」にシフトJISで表せない文字が含まれています：<byte value="xd"/>
%2<byte value="xd"/>
<byte value="xd"/>
この文字を取り除くか、別の文字に置き換えて下さい</translation>
    </message>
</context>
</TS>
