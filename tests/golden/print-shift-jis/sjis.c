/* 日本語のコメント: 表示してからソートする */
int show(void)
{
    const char *s = "表示";

    return s[0] + next();
}

/* 次の関数「ソ」 */
int next(void)
{
    return '\\';
}
