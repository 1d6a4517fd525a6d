# The files of the finished page, all at the top of the web build's folder:
# what the web build makes and what the packages carry.
set(GIF2FRM_PAGE_FILES index.html page.css page.js gif2frm.js)
