<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Scrivel</name>
    <message>
        <source>10001</source>
        <translation>All pages were downloaded and saved. Erase the pages stored in the pen?</translation>
    </message>
    <message>
        <source>10002</source>
        <translation>The pen holds no stored pages.</translation>
    </message>
    <message>
        <source>10003</source>
        <translation>This is the only page and cannot be deleted.</translation>
    </message>
    <message>
        <source>10004</source>
        <translation>Scrivel Live Note</translation>
    </message>
    <message>
        <source>10005</source>
        <translation>The recording has been saved.</translation>
    </message>
    <message>
        <source>10006</source>
        <translation>No microphone was found. Record without sound?</translation>
    </message>
    <message>
        <source>10007</source>
        <translation>No file name was given for the video; the video was not saved.</translation>
    </message>
    <message>
        <source>10008</source>
        <translation>A newer version of Scrivel is available. Update now?</translation>
    </message>
    <message>
        <source>10009</source>
        <translation>The update is complete.</translation>
    </message>
    <message>
        <source>10010</source>
        <translation>The update failed. The installed program was not changed.</translation>
    </message>
    <message>
        <source>10011</source>
        <translation>Downloading the update, please wait...</translation>
    </message>
    <message>
        <source>10012</source>
        <translation>The update files were downloaded and verified. The installed files will now be replaced.</translation>
    </message>
    <message>
        <source>10013</source>
        <translation>Live note: write with the pen and watch it appear here</translation>
    </message>
    <message>
        <source>10014</source>
        <translation>Download the pages stored in the pen</translation>
    </message>
    <message>
        <source>10015</source>
        <translation>Previous six pages</translation>
    </message>
    <message>
        <source>10016</source>
        <translation>Next six pages</translation>
    </message>
    <message>
        <source>10017</source>
        <translation>No pages yet. Download the pages stored in your pen with the lower button on the left, or start a live note with the upper one.</translation>
    </message>
    <message>
        <source>10018</source>
        <translation>Pen receiver connected (click to connect again)</translation>
    </message>
    <message>
        <source>10019</source>
        <translation>Pen receiver not connected (click to connect)</translation>
    </message>
    <message>
        <source>10020</source>
        <translation>Pen mode: writing (click for pointing)</translation>
    </message>
    <message>
        <source>10021</source>
        <translation>Pen mode: pointing (click for writing)</translation>
    </message>
    <message>
        <source>10022</source>
        <translation>Pen width</translation>
    </message>
    <message>
        <source>10023</source>
        <translation>Pen colour</translation>
    </message>
    <message>
        <source>10024</source>
        <translation>Eraser (click again to write)</translation>
    </message>
    <message>
        <source>10025</source>
        <translation>Add a picture (BMP, JPG or PNG)</translation>
    </message>
    <message>
        <source>10026</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>10027</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>10028</source>
        <translation>Share: save the page as a picture, or mail it as JPG, PDF or video</translation>
    </message>
    <message>
        <source>10029</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>10030</source>
        <translation>Close the live note</translation>
    </message>
    <message>
        <source>10031</source>
        <translation>Record the live note with sound</translation>
    </message>
    <message>
        <source>10032</source>
        <translation>Stop recording and save the video</translation>
    </message>
    <message>
        <source>10033</source>
        <translation>Pause recording</translation>
    </message>
    <message>
        <source>10034</source>
        <translation>Resume recording</translation>
    </message>
    <message>
        <source>10035</source>
        <translation>Delete this page</translation>
    </message>
    <message>
        <source>10036</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>10037</source>
        <translation>Next page (a new page after the last one)</translation>
    </message>
    <message>
        <source>10038</source>
        <translation>Clear this page</translation>
    </message>
    <message>
        <source>10039</source>
        <translation>Thin pen</translation>
    </message>
    <message>
        <source>10040</source>
        <translation>Medium pen</translation>
    </message>
    <message>
        <source>10041</source>
        <translation>Thick pen</translation>
    </message>
    <message>
        <source>10042</source>
        <translation>Save the page as a picture file</translation>
    </message>
    <message>
        <source>10043</source>
        <translation>Mail the page as a JPG picture</translation>
    </message>
    <message>
        <source>10044</source>
        <translation>Mail the page as a PDF document</translation>
    </message>
    <message>
        <source>10045</source>
        <translation>Mail the recorded video</translation>
    </message>
    <message>
        <source>10046</source>
        <translation>Nothing has been recorded yet. Record the live note first with the round button at its bottom left.</translation>
    </message>
</context>
</TS>
